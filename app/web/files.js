// The files the page's address names (?input=NAME, ?replay=NAME), fetched from
// addresses relative to the page into the game's in-memory file system under
// the same names, before main runs: the game reads them where the command line
// would. A file that cannot be fetched (404) is left out, so that the game
// says it cannot read it and exits as the desktop program does.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var params = new URLSearchParams(location.search);
  var count = 0;
  ['input', 'replay'].forEach(function (option) {
    params.getAll(option).forEach(function (name) {
      if (!name) return;
      var dependency = 'tibo-file-' + (++count);
      addRunDependency(dependency);
      fetch(name)
        .then(function (response) { return response.ok ? response.arrayBuffer() : null; })
        .catch(function () { return null; })
        .then(function (body) {
          try {
            if (body) {
              var path = PATH_FS.resolve(name);
              FS.mkdirTree(PATH.dirname(path));
              FS.writeFile(path, new Uint8Array(body));
            }
          } catch (e) {
            // A name the file system cannot hold: the game says it cannot read it.
          }
          removeRunDependency(dependency);
        });
    });
  });
});
