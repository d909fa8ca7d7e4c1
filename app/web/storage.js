// The page's files: the game's folder kept in the browser's storage, and the
// screenshots handed to the browser as downloads.
//
// The game keeps its hall of fame in Tibo.Ini in "$XDG_DATA_HOME/tibo/", as on
// the desktop. Here that folder is an IndexedDB file system (emscripten's
// IDBFS): its files are loaded before main runs, and whatever the game changes
// there goes back to IndexedDB right after the browser frame that changed it,
// so that a reload, a closed tab or a crash loses nothing already saved.
//
// A screenshot (F12) is written into the same folder under its own name, as
// the desktop does; the page then offers it as a download and removes it, so
// that pictures do not pile up in the browser's storage.
//
// Built in with emcc's --pre-js: FS, IDBFS and ENV are emscripten's own.
(() => {
  const dataHome = '/home/web_user/.local/share';
  const folder = dataHome + '/tibo';
  // Something in the folder changed since the last copy to IndexedDB began.
  let changed = false;
  // A copy to IndexedDB is under way (only one at a time: the file system
  // layer warns on the console about two at once).
  let copying = false;
  // The folder holds what IndexedDB kept: the game may start.
  let mounted = false;
  // The browser's storage answered when the page began (not so where a
  // browser keeps nothing for pages); copies in a row that failed.
  let usable = true;
  let failures = 0;
  // A copy from IndexedDB of what another tab stored is under way.
  let refreshing = false;
  // How many changes the game has made to the folder since the page began.
  let changes = 0;
  // Screenshots written since the last frame, to hand to the browser.
  const pictures = [];
  let afterFrameQueued = false;

  const inFolder = (path) => typeof path === 'string' && path.startsWith(folder + '/');

  // Copies the folder to IndexedDB, and again as long as it changed meanwhile.
  function copyToStorage() {
    if (!usable || copying || !changed) return;
    copying = true;
    changed = false;
    FS.syncfs(false, (error) => {
      copying = false;
      if (error) {
        // A file removed while it was being copied, say: the next copy takes
        // the folder as it is then. A storage that keeps failing (full, or
        // closed by the browser) is said once; the next change tries again.
        changed = true;
        if (++failures <= 3) {
          setTimeout(copyToStorage, 500 * failures);
        } else if (failures === 4) {
          console.warn('tibo: the browser does not store the hall of fame (' + String(error) +
                       '): it lasts as long as the page');
        }
        return;
      }
      failures = 0;
      copyToStorage();
    });
  }

  // Offers a picture of the folder as a download, then removes it from the folder.
  function handOver(path) {
    let bytes;
    try {
      bytes = FS.readFile(path);
    } catch (e) {
      return;  // removed already
    }
    const name = path.substring(path.lastIndexOf('/') + 1);
    const url = URL.createObjectURL(new Blob([bytes], { type: 'image/png' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    link.style.display = 'none';
    document.body.appendChild(link);
    link.click();
    link.remove();
    // Revoked once the browser has surely taken it.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    try {
      FS.unlink(path);
    } catch (e) {
      // gone already: nothing to remove
    }
  }

  // Runs once the browser frame that wrote to the folder is over: by then the
  // game's writes are whole (a file is written and renamed within one step).
  function afterFrame() {
    afterFrameQueued = false;
    while (pictures.length) handOver(pictures.shift());
    copyToStorage();
  }

  function noteChange(path) {
    if (!inFolder(path)) return;
    changed = true;
    ++changes;
    if (!afterFrameQueued) {
      afterFrameQueued = true;
      queueMicrotask(afterFrame);
    }
  }

  // Another tab of the page may have stored a newer hall of fame since this
  // page loaded (IndexedDB is one for all tabs; each tab's folder is its own
  // copy in memory). Back in sight or in focus, before any key of the player
  // can make it save, the folder takes the files that are newer in
  // IndexedDB: the game's save reads Tibo.Ini again and adds its
  // own entries to what it finds, so the other tab's entries stay. Taken only
  // when this page has nothing to store itself and the game changed nothing
  // while they were read; nothing is removed.
  function takeNewerFromStorage() {
    if (refreshing || copying || changed) return;
    refreshing = true;
    const before = changes;
    const mount = FS.lookupPath(folder).node.mount;
    IDBFS.getRemoteSet(mount, (error, remote) => {
      const newer = error ? [] : Object.keys(remote.entries).filter((path) => {
        try {
          return FS.stat(path).mtime.getTime() !== remote.entries[path].timestamp.getTime();
        } catch (e) {
          return true;  // not in this page's folder yet
        }
      });
      if (!newer.length) {
        refreshing = false;
        return;
      }
      let store;
      try {
        store = remote.db.transaction([IDBFS.DB_STORE_NAME], 'readonly').objectStore(IDBFS.DB_STORE_NAME);
      } catch (e) {
        refreshing = false;  // the storage closed meanwhile: nothing taken
        return;
      }
      const entries = {};
      let left = newer.length;
      newer.forEach((path) => IDBFS.loadRemoteEntry(store, path, (error, entry) => {
        if (!error && entry) entries[path] = entry;
        if (--left) return;
        refreshing = false;
        // Within this one task no frame of the game runs: what was checked holds.
        if (changes !== before || copying || changed) return;
        for (const path of Object.keys(entries).sort()) IDBFS.storeLocalEntry(path, entries[path], () => {});
      }));
    });
  }

  function watch(name, pathOf) {
    const original = FS[name];
    FS[name] = function () {
      const result = original.apply(this, arguments);
      noteChange(pathOf.apply(null, arguments));
      return result;
    };
  }

  function mountFolder() {
    // The game finds its folder by the desktop's rule, $XDG_DATA_HOME/tibo/.
    ENV.XDG_DATA_HOME = dataHome;
    FS.mkdirTree(folder);
    FS.mount(IDBFS, {}, folder);
    // main waits until the folder holds what the browser kept.
    addRunDependency('tibo-storage');
    FS.syncfs(true, (error) => {
      if (error) {
        usable = false;
        console.warn('tibo: the browser keeps no files for this page (' + String(error) +
                     '): the hall of fame lasts as long as the page');
      }
      // Watched only now: what the browser kept is no change to copy back.
      // Every way the game changes the folder: a file written and closed, a
      // file renamed (each save and each screenshot ends so), removed or made.
      watch('close', (stream) => stream && (stream.flags & 3) !== 0 ? stream.path : null);  // opened for writing
      watch('rename', (from, to) => {
        // A picture takes its name last, once it is whole: a screenshot.
        if (inFolder(to) && /\.png$/i.test(to)) pictures.push(to);
        return to;
      });
      watch('unlink', (path) => path);
      watch('mkdir', (path) => path);
      watch('rmdir', (path) => path);
      mounted = true;
      removeRunDependency('tibo-storage');
    });
  }

  Module.preRun = [].concat(Module.preRun || [], [mountFolder]);

  // A last copy when the page goes away or out of sight, should one be due;
  // back in sight, what another tab stored meanwhile.
  const copyNow = () => { if (changed) copyToStorage(); };
  const takeNewer = () => { if (mounted && usable) takeNewerFromStorage(); };
  addEventListener('pagehide', copyNow);
  addEventListener('focus', takeNewer);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') copyNow();
    else takeNewer();
  });
})();
