// Runs in the page before the game's main (emcc --pre-js): the player's folders kept in the
// browser's IndexedDB, and the command line the page's address asks for.
//
//   quillomar.html                       the title menu (--menu)
//   quillomar.html#level=QLM1.<code>     a level code (quillomar --code): pasted into the title
//                                        menu once the game runs, as Ctrl+V pastes one
//   quillomar.html#level=<base64url>     plays the level file held in the link (--menu LEVEL)
//   quillomar.html#level=..&name=F.txt   the same, the file named F.txt (its title without one)
//   quillomar.html#level=..&replay=..    plays the recording on that level (LEVEL --replay RUN)
//   quillomar.html?args=a+b+c            any other command line (the browser test's --replay)
//
// A file the address carries (a level, a recording) is written below /home/web_user/shared, and
// the address drops it once it is taken in: a reload starts at the title menu.
// The page's own thread only: the game's worker threads load this file too.
if (!Module['ENVIRONMENT_IS_PTHREAD'] && typeof window !== 'undefined') {
  (function () {
    var home = '/home/web_user';

    function fromBase64url(text) {
      var base64 = text.replace(/-/g, '+').replace(/_/g, '/');
      while (base64.length % 4 !== 0) base64 += '=';
      var binary = atob(base64);
      var bytes = new Uint8Array(binary.length);
      for (var i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
      return bytes;
    }

    // A file name the page may write below shared/: plain characters, a .txt at the end.
    Module.quillomarFileName = function (name) {
      var plain = String(name || '').replace(/^.*[\\/]/, '').replace(/[^A-Za-z0-9._ -]/g, '_')
                                    .replace(/^[. ]+/, '').substring(0, 100);
      if (!plain) plain = 'level';
      return /\.txt$/i.test(plain) ? plain : plain + '.txt';
    };

    function pageArguments() {
      var location = typeof window !== 'undefined' ? window.location : null;
      if (!location) return ['--menu'];
      var hash = location.hash.replace(/^#/, '');
      var files = {};
      hash.split('&').forEach(function (part) {
        var eq = part.indexOf('=');
        if (eq > 0) files[part.substring(0, eq)] = part.substring(eq + 1);
      });
      var query = new URLSearchParams(location.search);
      var args = query.has('args') ? query.get('args').split(' ').filter(function (a) {
        return a.length > 0;
      }) : null;
      Module.quillomarShared = {};
      if (/^QLM/.test(files.level || '')) {
        // A level code: the game reads it itself, checks it and keeps it among the shared levels.
        try { Module.quillomarShared.code = decodeURIComponent(files.level); } catch (e) {}
        delete files.level;
      }
      ['level', 'replay'].forEach(function (name) {
        if (files[name]) {
          try {
            Module.quillomarShared[name] = fromBase64url(files[name]);
          } catch (e) {
            console.warn('quillomar: the address\'s ' + name + ' is not base64url; it is left out');
          }
        }
      });
      var name = 'level.txt';
      try { name = Module.quillomarFileName(decodeURIComponent(files.name || name)); } catch (e) {}
      var level = home + '/shared/' + name;
      Module.quillomarShared.levelPath = level;
      if (args) return args;
      if (Module.quillomarShared.level) {
        // A replay plays as `quillomar LEVEL --replay FILE` does; a level alone opens from the
        // title menu, so Escape pauses rather than ends the page's game.
        return Module.quillomarShared.replay ? [level, '--replay', home + '/shared/run.replay']
                                             : ['--menu', level];
      }
      return ['--menu'];
    }

    Module['arguments'] = pageArguments();

    // One write to IndexedDB at a time; writes asked for meanwhile are done together after it.
    var storing = false;
    var storeAgain = false;
    Module.quillomarStore = function () {
      if (storing) {
        storeAgain = true;
        return;
      }
      storing = true;
      FS.syncfs(false, function (error) {
        storing = false;
        if (error) console.warn('quillomar: the player\'s files were not stored: ' + error);
        if (storeAgain) {
          storeAgain = false;
          Module.quillomarStore();
        }
      });
    };

    // Whether a store is under way or asked for (the page's tests wait for it).
    Module.quillomarStoring = function () {
      return storing || storeAgain;
    };

    // A page being closed or hidden stores what a write just before asked for (its own store may
    // still be waiting behind another).
    document.addEventListener('visibilitychange', function () {
      if (document.visibilityState === 'hidden') Module.quillomarStore();
    });

    Module['preRun'] = [].concat(Module['preRun'] || [], function () {
      // The records, statistics, settings and recordings live below the home folder
      // ($XDG_DATA_HOME and $XDG_CONFIG_HOME default there): all of it is kept, the runs queued
      // for the record server (<records>/outbox/) with it. Each write (write_file_atomically) and
      // each removal (remove_file_durably) stores the folder in IndexedDB again.
      FS.mount(IDBFS, {}, home);
      addRunDependency('quillomar-player-files');
      FS.syncfs(true, function (error) {
        if (error) console.warn('quillomar: the player\'s files could not be read: ' + error);
        var shared = Module.quillomarShared || {};
        if (shared.code) history.replaceState(null, '', location.pathname + location.search);
        if (shared.level || shared.replay) {
          try { FS.mkdir(home + '/shared'); } catch (e) {}
          if (shared.level) FS.writeFile(shared.levelPath, shared.level);
          if (shared.replay) FS.writeFile(home + '/shared/run.replay', shared.replay);
          history.replaceState(null, '', location.pathname + location.search);
        }
        removeRunDependency('quillomar-player-files');
      });
    });
  })();
}
