// The page around the game's canvas: the picture scaled to the window with
// crisp pixels, the full-screen and mute buttons, and keys that stay in the
// game (no scrolling, no leaving the page). The canvas's own pixels stay the
// game's 640 x 480: the browser scales them, pixel for pixel, by CSS.
//
// The game itself reads keys, the mouse and gamepads through SDL, which
// listens on the window; what this script adds never hides a key from it but
// F11 and Alt+Enter, which mean full screen here as on the desktop.
(function () {
  'use strict';

  var WIDTH = 640, HEIGHT = 480;
  var stage = document.getElementById('stage');
  var canvas = document.getElementById('canvas');
  var line = document.getElementById('line');
  var fullButton = document.getElementById('fullscreen');
  var muteButton = document.getElementById('mute');

  // The scale of the picture in device pixels for a room of `width` x
  // `height` device pixels: the largest whole multiple that fits; in a room
  // smaller than the picture, the largest fit keeping its shape.
  function scaleFor(width, height) {
    var fit = Math.min(width / WIDTH, height / HEIGHT);
    return fit >= 1 ? Math.floor(fit) : Math.max(fit, 1 / WIDTH);
  }

  // Sizes the canvas to the room the stage leaves above the line of keys.
  function layout() {
    var ratio = window.devicePixelRatio || 1;
    var lineHeight = line.offsetHeight + parseFloat(getComputedStyle(line).marginTop) +
                     parseFloat(getComputedStyle(line).marginBottom);
    var roomW = Math.floor(stage.clientWidth * ratio);
    var roomH = Math.floor(Math.max(stage.clientHeight - lineHeight, 1) * ratio);
    var scale = scaleFor(roomW, roomH);
    // Whole device pixels, so that each game pixel covers the same number of them.
    canvas.style.width = Math.floor(WIDTH * scale) / ratio + 'px';
    canvas.style.height = Math.floor(HEIGHT * scale) / ratio + 'px';
  }

  // Full screen holds the stage, the line of keys with it; the browser's
  // Escape leaves it.
  function toggleFullScreen() {
    if (document.fullscreenElement) {
      if (document.exitFullscreen) document.exitFullscreen().catch(function () {});
    } else if (stage.requestFullscreen) {
      stage.requestFullscreen().catch(function (e) { console.info('tibo: no full screen here: ' + e.message); });
    }
  }

  // The game's own mute key, through SDL like a key the player presses: the
  // game keeps its sound's state, and a recording gets the key.
  function pressMute() {
    var key = { key: 'm', code: 'KeyM', keyCode: 77, which: 77, bubbles: true, cancelable: true };
    window.dispatchEvent(new KeyboardEvent('keydown', key));
    window.dispatchEvent(new KeyboardEvent('keyup', key));
  }

  function isFullScreenKey(e) {
    return e.code === 'F11' || (e.altKey && (e.code === 'Enter' || e.code === 'NumpadEnter'));
  }

  // Keys the game uses and the browser would act on: they scroll, move the
  // focus, go back, search or open the browser's own tools.
  var GAME_KEYS = /^(Arrow(Up|Down|Left|Right)|Space|Enter|NumpadEnter|Escape|Backspace|Delete|Tab|F([1-9]|1[0-2])|Numpad[2468]|Home|End|Page(Up|Down)|Quote|Slash)$/;

  // Before SDL (which listens on the window, after the page's elements): full
  // screen is the page's business, SDL's own would fight the page's scaling.
  // In full screen, Escape leaves it (as the browser says it does) and
  // nothing else: neither its press nor its release reaches the game, where
  // it could quit.
  var escapeLeftFullScreen = false;

  window.addEventListener('keydown', function (e) {
    var leaving = e.code === 'Escape' && document.fullscreenElement;
    if (leaving || isFullScreenKey(e)) {
      e.preventDefault();
      e.stopImmediatePropagation();
      if (leaving) escapeLeftFullScreen = true;
      if (!e.repeat) toggleFullScreen();
    } else if (GAME_KEYS.test(e.code) && !e.ctrlKey && !e.metaKey) {
      e.preventDefault();
    }
  }, true);
  window.addEventListener('keyup', function (e) {
    if (e.code === 'Escape' && escapeLeftFullScreen) {
      escapeLeftFullScreen = false;
      e.preventDefault();
      e.stopImmediatePropagation();
    } else if (isFullScreenKey(e)) {
      e.preventDefault();
      e.stopImmediatePropagation();
    }
  }, true);

  // The buttons never keep the focus: Space and Enter belong to the game.
  [fullButton, muteButton].forEach(function (button) {
    button.addEventListener('mousedown', function (e) { e.preventDefault(); });
  });
  fullButton.addEventListener('click', function () { toggleFullScreen(); fullButton.blur(); });
  muteButton.addEventListener('click', function () { pressMute(); muteButton.blur(); });

  // A hidden tab is a window in the background: SDL tells the game so, but
  // the browser calls no frame while the tab is hidden, so the step that
  // hears it runs at once (the sounds pause with the game). This listener
  // comes after SDL's, on the document, where the event starts. Back in
  // view, the next frame tells the game, which goes on from there.
  window.addEventListener('visibilitychange', function () {
    if (document.hidden && window.Module && Module.tiboPage && Module._tibo_page_step) {
      Module._tibo_page_step(Module.tiboPage);
    }
  });

  // SDL asks the browser to resume its sound at the first key or click; a
  // game closed by that very key closes the sound before the browser has
  // resumed it, and the refused resume would be an uncaught error. Either
  // outcome is fine for the game: the refusal is noted as handled.
  [window.AudioContext, window.webkitAudioContext].forEach(function (Context) {
    if (!Context || !Context.prototype.resume) return;
    var resume = Context.prototype.resume;
    Context.prototype.resume = function () {
      var resumed = resume.apply(this, arguments);
      if (resumed && resumed.catch) resumed.catch(function () {});
      return resumed;
    };
  });

  // The game closed (Escape, EXIT, the end of ?frames): the line says so and
  // offers to start the page again.
  function closed() {
    line.textContent = 'The game has closed. ';
    var again = document.createElement('button');
    again.type = 'button';
    again.id = 'again';
    again.textContent = 'Play again';
    again.addEventListener('click', function () { location.reload(); });
    line.appendChild(again);
    layout();
  }
  if (window.Module) Module.onGameClosed = closed;

  window.addEventListener('resize', layout);
  document.addEventListener('fullscreenchange', layout);
  layout();

})();
