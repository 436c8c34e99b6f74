// The on-screen controls for touch screens: a direction pad for the arrow
// keys, a bomb button (R), a new-arena button (Enter) and an end button
// (Escape) that asks first. They are made once the device has a touch
// screen or the first touch arrives, never for a mouse.
//
// Touch reaches the game as keys do: the page's key reading (library.js)
// adds the keys held here, named by KeyboardEvent.code. Every pointer is
// followed on its own, so one thumb can walk while the other lays a bomb;
// a pointer that is lifted, cancelled or lost releases what it held, and
// so does the page going to the background. A press shorter than a game
// frame still counts once: it is kept until the game has read the keys.
(function() {
  'use strict';

  var touch = window.fuseboundTouch = {
    held: new Set(),     // codes held now
    pressed: new Set(),  // codes pressed since the game last read the keys
    shown: false,
    // The game reads its keys: what is held and what was pressed since.
    read: function(each) {
      touch.held.forEach(each);
      touch.pressed.forEach(function(code) {
        if (!touch.held.has(code)) each(code);
      });
      touch.pressed.clear();
    }
  };

  var pointers = new Map();  // pointerId: the codes it holds
  var canvas = null;
  var endArmed = 0;          // timer while the end button asks
  var endAskMs = 3000;

  function game() { return window.Module && Module.fbweb; }

  function update() {
    var held = new Set();
    pointers.forEach(function(codes) {
      codes.forEach(function(code) {
        held.add(code);
        if (!touch.held.has(code)) touch.pressed.add(code);
      });
    });
    touch.held = held;
    var fb = game();
    if (fb) fb.wake();  // a wait for a key ends
  }

  function hold(id, codes) {
    var before = pointers.get(id);
    if (before && before.join() === codes.join()) return;
    pointers.set(id, codes);
    update();
  }

  function releaseAll() {
    if (!pointers.size) return;
    pointers.clear();
    update();
  }

  // The pad: the direction of the thumb from the pad's centre, in eight
  // sectors; between two arrows it holds both. Near the centre nothing,
  // off the pad nothing.
  function padCodes(pad, event) {
    var box = pad.getBoundingClientRect();
    var radius = box.width / 2;
    var dx = event.clientX - (box.left + radius);
    var dy = event.clientY - (box.top + box.height / 2);
    var distance = Math.sqrt(dx * dx + dy * dy);
    if (distance < radius * 0.2 || distance > radius) return [];
    var sector = Math.round(Math.atan2(dy, dx) / (Math.PI / 4));  // -4..4
    return [
      ['ArrowLeft'], ['ArrowLeft', 'ArrowUp'], ['ArrowUp'],
      ['ArrowUp', 'ArrowRight'], ['ArrowRight'], ['ArrowRight', 'ArrowDown'],
      ['ArrowDown'], ['ArrowDown', 'ArrowLeft'], ['ArrowLeft']
    ][sector + 4];
  }

  function element(tag, id, text, parent) {
    var made = document.createElement(tag);
    made.id = id;
    if (text) made.textContent = text;
    parent.appendChild(made);
    return made;
  }

  function askToEnd(button) {
    if (endArmed) {
      clearTimeout(endArmed);
      endArmed = 0;
      button.classList.remove('fb-armed');
      button.textContent = 'End';
      touch.pressed.add('Escape');
      update();
      return;
    }
    button.classList.add('fb-armed');
    button.textContent = 'End game?';
    endArmed = setTimeout(function() {
      endArmed = 0;
      button.classList.remove('fb-armed');
      button.textContent = 'End';
    }, endAskMs);
  }

  function show() {
    if (touch.shown) return;
    touch.shown = true;
    canvas = document.getElementById('game');
    var controls = element('div', 'touch', '', document.body);
    var pad = element('div', 'pad', '', controls);
    ['up', 'right', 'down', 'left'].forEach(function(way) {
      element('span', 'pad-' + way, '', pad);
    });
    var buttons = {
      bomb: ['KeyR', element('div', 'bomb', 'Bomb', controls)],
      regenerate: ['Enter', element('div', 'regenerate', 'New arena', controls)]
    };
    var end = element('div', 'end', 'End', controls);
    var hint = document.getElementById('hint');
    if (hint) hint.textContent = 'Touch the game to play.';

    // Nothing here scrolls, zooms, selects, opens a menu or moves the
    // focus: the game keeps the keyboard (and so is not paused).
    var swallow = function(event) {
      if (event.cancelable) event.preventDefault();
    };
    ['touchstart', 'touchmove', 'touchend', 'touchcancel', 'mousedown',
     'contextmenu', 'selectstart', 'dblclick'].forEach(function(type) {
      controls.addEventListener(type, swallow, {passive: false});
    });

    // A thumb that misses a control lands beside the game: that must not
    // take the keyboard from it either.
    document.addEventListener('mousedown', function(event) {
      if (event.target === document.body || event.target.id === 'stage')
        swallow(event);
    }, {passive: false});

    controls.addEventListener('pointerdown', function(event) {
      swallow(event);
      // Touching the controls while the game waits for the focus gives it.
      if (canvas && document.activeElement !== canvas) canvas.focus();
      var target = event.target.closest('#pad, #bomb, #regenerate, #end');
      if (!target) return;
      if (target.setPointerCapture) target.setPointerCapture(event.pointerId);
      if (target === end) return askToEnd(end);
      if (target === pad) return hold(event.pointerId, padCodes(pad, event));
      var code = target === buttons.bomb[1] ? 'KeyR' : 'Enter';
      target.classList.add('fb-down');
      hold(event.pointerId, [code]);
      if (code === 'KeyR' && navigator.vibrate) navigator.vibrate(15);
    }, {passive: false});

    pad.addEventListener('pointermove', function(event) {
      if (pointers.has(event.pointerId))
        hold(event.pointerId, padCodes(pad, event));
    });

    var lift = function(event) {
      var target = event.target;
      if (target.classList) target.classList.remove('fb-down');
      if (pointers.delete(event.pointerId)) update();
    };
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function(type) {
      controls.addEventListener(type, lift);
    });

    document.body.classList.add('fb-touch');
    var fb = game();
    if (fb) fb.fit();
  }

  // The page going to the background (a call coming in, another app)
  // releases everything held.
  document.addEventListener('visibilitychange', function() {
    if (document.hidden) releaseAll();
  });
  window.addEventListener('blur', releaseAll);
  window.addEventListener('pagehide', releaseAll);

  if (navigator.maxTouchPoints > 0 ||
      (window.matchMedia && matchMedia('(any-pointer: coarse)').matches)) {
    show();
  } else {
    var first = function(event) {
      if (event.type === 'pointerdown' && event.pointerType !== 'touch') return;
      window.removeEventListener('pointerdown', first, true);
      window.removeEventListener('touchstart', first, true);
      show();
    };
    window.addEventListener('pointerdown', first, true);
    window.addEventListener('touchstart', first, true);
  }
})();
