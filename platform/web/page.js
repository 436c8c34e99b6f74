// The page's own script: the "Full screen" button, the end of the game, the
// loading of the game and what the page says when that fails or the game
// stops with an error.
//
// Every file the page loads carries the build's version in its address (the
// `v` of this script's own address), so a cache never pairs the script of
// one build with the module or the pictures of another. The module and the
// pictures are fetched here, so that a failure names the file and its cause;
// the game's script is added once both have arrived.
(function() {
  var version = new URL(document.currentScript.src).searchParams.get('v') || '';
  var canvas = document.getElementById('game');
  var stopped = false;  // ended, or failed: the page shows a panel

  function showPanel(id) {
    stopped = true;
    document.body.classList.add('fb-ended');
    document.getElementById('dialog').hidden = true;
    document.getElementById(id).hidden = false;
    document.getElementById(id).querySelector('button').focus();
  }
  function end(status) {
    if (stopped) return;
    window.fuseboundEnded = {status: status};
    showPanel('ended');
  }
  // `file` failed to load (or, without one, the game stopped), for `why`.
  function fail(file, why) {
    if (stopped) return;
    window.fuseboundFailed = {file: file || '', why: String(why)};
    document.getElementById('failed-text').textContent = file ?
        file + ' could not be loaded: ' + why + '.\nCheck the connection and try again.' :
        'The game stopped because of an error: ' + why + '.';
    showPanel('failed');
  }
  var reload = function() { location.reload(); };
  document.getElementById('again').addEventListener('click', reload);
  document.getElementById('retry').addEventListener('click', reload);

  var full = document.getElementById('fullscreen');
  // The button must not take the keyboard from the game.
  full.addEventListener('mousedown', function(e) { e.preventDefault(); });
  full.addEventListener('click', function() {
    var root = document.documentElement;
    // (A browser may refuse; the game goes on as it is.)
    var quiet = function() {};
    if (document.fullscreenElement) document.exitFullscreen().catch(quiet);
    else if (root.requestFullscreen) root.requestFullscreen().catch(quiet);
    canvas.focus();
  });

  // Ending the program unwinds the game by throwing its exit status; that
  // is no error. Anything else thrown is: by the game's script before it
  // ran, it could not be run (damaged, or not a script at all).
  var scriptFile = 'fusebound.js';
  var started = false;
  window.addEventListener('error', function(e) {
    if (e.error && e.error.name === 'ExitStatus') {
      e.preventDefault();
      return;
    }
    if (stopped) return;
    var from = (e.filename || '').replace(/[?#].*$/, '').replace(/^.*\//, '');
    if (!started && from === scriptFile) fail(scriptFile, 'it did not run (' + e.message + ')');
    else fail('', e.message || 'unknown');
  });
  window.addEventListener('unhandledrejection', function(e) {
    fail('', e.reason && e.reason.message ? e.reason.message : String(e.reason));
  });

  var versioned = function(name) {
    return version ? name + '?v=' + encodeURIComponent(version) : name;
  };
  var failure = function(file, why) {
    var error = new Error(why);
    error.file = file;
    return error;
  };
  // The bytes of `file`, or a failure saying why there are none.
  var load = function(file) {
    return fetch(versioned(file)).then(function(response) {
      if (!response.ok)
        throw failure(file, 'the server answered ' + response.status + ' ' + response.statusText);
      // A host's page for an unknown address, sent as if it were the file.
      if (/^text\/html/.test(response.headers.get('Content-Type') || ''))
        throw failure(file, 'the server sent a web page instead');
      return response.arrayBuffer().catch(function() {
        throw failure(file, 'the connection broke off');
      });
    }, function() {
      throw failure(file, 'the network failed');
    });
  };
  var module = load('fusebound.wasm').then(function(bytes) {
    return WebAssembly.compile(bytes).catch(function() {
      throw failure('fusebound.wasm', 'it is damaged');
    });
  });
  var pictures = load('fusebound.data');

  window.Module = {
    canvas: canvas,
    locateFile: function(name, prefix) { return versioned((prefix || '') + name); },
    onExit: function(status) { end(status); },
    onAbort: function(what) { fail('', what); },
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); }
  };
  Promise.all([module, pictures]).then(function(loaded) {
    Module.instantiateWasm = function(imports, receive) {
      WebAssembly.instantiate(loaded[0], imports).then(function(instance) {
        started = true;
        receive(instance);
      }, function(error) { fail('', error.message); });
      return {};
    };
    Module.getPreloadedPackage = function(name, size) {
      if (loaded[1].byteLength !== size) {
        var why = 'it is damaged (' + loaded[1].byteLength + ' bytes, not ' + size + ')';
        fail('fusebound.data', why);
        throw failure('fusebound.data', why);
      }
      return loaded[1];
    };
    var script = document.createElement('script');
    script.src = versioned(scriptFile);
    script.onerror = function() {
      fail(scriptFile, 'the server or the network failed, or it was not sent as a script');
    };
    document.body.appendChild(script);
  }, function(error) {
    fail(error.file, error.message);
  });
})();
