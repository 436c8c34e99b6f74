// The page's own script: the "Full screen" button, the end of the game, and
// the loading of the game's script. Every file the page loads carries the
// build's version in its address (the `v` of this script's own address), so
// a cache never pairs the script of one build with the module or the
// pictures of another.
(function() {
  var version = new URL(document.currentScript.src).searchParams.get('v') || '';
  var canvas = document.getElementById('game');
  var ended = false;
  function end(status) {
    if (ended) return;
    ended = true;
    window.fuseboundEnded = {status: status};
    document.body.classList.add('fb-ended');
    document.getElementById('dialog').hidden = true;
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
  }
  document.getElementById('again').addEventListener('click', function() {
    location.reload();
  });
  var full = document.getElementById('fullscreen');
  // The button must not take the keyboard from the game.
  full.addEventListener('mousedown', function(e) { e.preventDefault(); });
  full.addEventListener('click', function() {
    var root = document.documentElement;
    if (document.fullscreenElement) document.exitFullscreen();
    else if (root.requestFullscreen) root.requestFullscreen();
    canvas.focus();
  });
  // Ending the program unwinds the game by throwing its exit status;
  // that is no error of the page's.
  window.addEventListener('error', function(e) {
    if (e.error && e.error.name === 'ExitStatus') e.preventDefault();
  });
  var versioned = function(name) {
    return version ? name + '?v=' + encodeURIComponent(version) : name;
  };
  window.Module = {
    canvas: canvas,
    locateFile: function(name, prefix) { return versioned((prefix || '') + name); },
    onExit: function(status) { end(status); },
    onAbort: function(what) { end(-1); },
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); }
  };
  var script = document.createElement('script');
  script.src = versioned('fusebound.js');
  script.async = true;
  document.body.appendChild(script);
})();
