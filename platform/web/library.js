// The page side of the browser platform: the canvas and its scaling, the
// queue of window messages, the keyboard, the gamepad, Web Audio, the
// dialog and the clock. The game's C++ calls these through
// platform/web/Browser.h; the calls that wait let the browser run meanwhile.
mergeInto(LibraryManager.library, {
  $FB: {
    canvas: null,
    ctx: null,
    image: null,
    image32: null,
    lut: null,
    keys: null,  // Uint8Array(256), made when the canvas opens
    codes: {},
    queue: [],
    paintQueued: false,
    focused: false,
    waiter: null,
    // What the game waits for: 'frame', 'message', 'input', 'dialog', or ''
    // while it runs (or before it started).
    waitingFor: '',
    audio: null,
    dialogOpen: false,
    // What the page shows of its own running: frames shown, game frames
    // played without being shown (a later one was shown on the same
    // animation frame), the time of the first frame shown, and for the last 4096 frames the timestamp of the animation
    // frame each was shown on and how late (ms) the game handed it over
    // (for the figures).
    // (Typed arrays are made at run time: the library's objects are copied
    // into the script as source text.)
    stats: {frames: 0, unshown: 0, openedAt: -1, focusedAt: -1, firstFrameAt: -1, times: null,
            late: null},
    frameTime: -1,  // timestamp of the animation frame being served

    // Window messages, as the desktop's window would get them.
    WM_SETFOCUS: 7,
    WM_KILLFOCUS: 8,
    WM_PAINT: 15,

    // A repaint request is a mark, as on the desktop, not a place in the
    // queue: it is never lost, requests made while one waits are one, and it
    // is taken only when no other message is waiting, so a quick run of
    // focus changes ends with a repaint that sees where the focus ended.
    push: function(message, wParam, lParam) {
      if (message === FB.WM_PAINT) {
        FB.paintQueued = true;
      } else {
        if (FB.queue.length >= 64) return;  // full: the message is lost
        FB.queue.push([message, wParam | 0, lParam | 0]);
      }
      FB.wake();
    },

    waiting: function() { return FB.queue.length + (FB.paintQueued ? 1 : 0); },

    // Ends the wait the game is in, if any.
    wake: function() {
      var waiter = FB.waiter;
      FB.waiter = null;
      if (waiter) waiter();
    },

    // Waits (letting the browser run) until woken or `ms` have passed;
    // then `done` gives the game its answer.
    sleep: function(ms, what, done) {
      return Asyncify.handleSleep(function(wakeUp) {
        var timer = 0;
        var finish = function() {
          if (timer) clearTimeout(timer);
          timer = 0;
          if (FB.waiter === finish) FB.waiter = null;
          FB.waitingFor = '';
          wakeUp(done());
        };
        FB.waiter = finish;
        FB.waitingFor = what;
        timer = setTimeout(finish, Math.max(0, ms));
      });
    },

    checkFocus: function() {
      var now = FB.canvas !== null && !document.hidden &&
          document.activeElement === FB.canvas && document.hasFocus();
      if (now === FB.focused) return;
      FB.focused = now;
      if (now && FB.stats.focusedAt < 0) FB.stats.focusedAt = performance.now();
      if (now) {
        FB.push(FB.WM_SETFOCUS, 0, 0);
      } else {
        // Key releases that happen elsewhere never reach the canvas.
        FB.keys.fill(0);
        FB.push(FB.WM_KILLFOCUS, 0, 0);
        FB.push(FB.WM_PAINT, 0, 0);
      }
      document.body.classList.toggle('fb-unfocused', !now);
      FB.wake();
    },

    // Keys the page itself would act on (scrolling, activating). Tab is
    // not among them: it leaves the game, which pauses it.
    pageKeys: {
      ArrowUp: 1, ArrowDown: 1, ArrowLeft: 1, ArrowRight: 1, Enter: 1,
      NumpadEnter: 1, KeyR: 1, Space: 1, Escape: 1, PageUp: 1, PageDown: 1,
      Home: 1, End: 1, Backspace: 1
    },

    onKey: function(event) {
      if (FB.dialogOpen || !FB.focused) return;
      var dik = FB.codes[event.code];
      if (dik !== undefined) FB.keys[dik] = event.type === 'keydown' ? 0x80 : 0;
      // Keys let go while Meta (Cmd, Super) is held may send no key-up
      // (macOS sends none): when Meta goes up, every key is up.
      if (event.type === 'keyup' && event.key === 'Meta') FB.keys.fill(0);
      if (FB.pageKeys[event.code] && !event.ctrlKey && !event.metaKey &&
          !event.altKey)
        event.preventDefault();
      FB.wake();
    },

    // The largest whole scale that fits the stage (the page, less the
    // on-screen controls), in device pixels, so that every picture pixel
    // is a square block of screen pixels, centred on a whole device pixel.
    // The canvas is placed and scaled by a transform: a CSS width is
    // rounded by layout (1280 device pixels are 426.667 CSS pixels at a
    // ratio of 3) and the picture would come out a pixel or two narrow
    // with uneven columns.
    fit: function() {
      if (!FB.canvas) return;
      var ratio = window.devicePixelRatio || 1;
      var stage = document.getElementById('stage');
      var box = stage ? stage.getBoundingClientRect() :
          {left: 0, top: 0, right: window.innerWidth, bottom: window.innerHeight};
      var left = Math.ceil(box.left * ratio), top = Math.ceil(box.top * ratio);
      var width = Math.floor(box.right * ratio) - left;
      var height = Math.floor(box.bottom * ratio) - top;
      var scale = Math.max(1, Math.floor(Math.min(width / 320, height / 240)));
      var x = left + Math.floor((width - 320 * scale) / 2);
      var y = top + Math.max(0, Math.floor((height - 240 * scale) / 2));
      FB.canvas.style.transform = 'translate(' + x / ratio + 'px, ' +
          y / ratio + 'px) scale(' + scale / ratio + ')';
    },

    makeLut: function() {
      // 5-6-5 to the canvas's RGBA, every value once.
      var lut = new Uint32Array(65536);
      var littleEndian = new Uint8Array(new Uint32Array([1]).buffer)[0] === 1;
      for (var v = 0; v < 65536; ++v) {
        var r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        r = (r << 3) | (r >> 2);
        g = (g << 2) | (g >> 4);
        b = (b << 3) | (b >> 2);
        lut[v] = littleEndian ? ((255 << 24) | (b << 16) | (g << 8) | r) >>> 0
                              : ((r << 24) | (g << 16) | (b << 8) | 255) >>> 0;
      }
      return lut;
    }
  },

  fbweb_openCanvas__deps: ['$FB'],
  fbweb_openCanvas: function(caption) {
    var canvas = document.getElementById('game');
    if (!canvas || !canvas.getContext) return 0;
    var ctx = canvas.getContext('2d', {alpha: false});
    if (!ctx) return 0;
    canvas.width = 320;
    canvas.height = 240;
    canvas.tabIndex = 0;
    ctx.imageSmoothingEnabled = false;
    FB.stats.openedAt = performance.now();
    FB.canvas = canvas;
    FB.ctx = ctx;
    FB.keys = new Uint8Array(256);
    FB.stats.times = new Float64Array(4096);
    FB.stats.late = new Float64Array(4096);
    FB.image = ctx.createImageData(320, 240);
    FB.image32 = new Uint32Array(FB.image.data.buffer);
    FB.lut = FB.makeLut();
    ctx.fillStyle = '#000';
    ctx.fillRect(0, 0, 320, 240);
    var title = UTF8ToString(caption);
    if (title) document.title = title;
    canvas.addEventListener('keydown', FB.onKey);
    canvas.addEventListener('keyup', FB.onKey);
    canvas.addEventListener('focus', FB.checkFocus);
    canvas.addEventListener('blur', FB.checkFocus);
    window.addEventListener('focus', FB.checkFocus);
    window.addEventListener('blur', FB.checkFocus);
    document.addEventListener('visibilitychange', FB.checkFocus);
    canvas.addEventListener('mousedown', function() { canvas.focus(); });
    window.addEventListener('resize', FB.fit);
    document.addEventListener('fullscreenchange', function() {
      FB.fit();
      canvas.focus();
    });
    FB.fit();
    document.body.classList.toggle('fb-unfocused', !FB.focused);
    Module['fbweb'] = FB;
    return 1;
  },

  fbweb_addKey__deps: ['$FB'],
  fbweb_addKey: function(code, dik) { FB.codes[UTF8ToString(code)] = dik; },

  fbweb_takeFocus__deps: ['$FB'],
  fbweb_takeFocus: function() {
    if (document.activeElement !== FB.canvas) FB.canvas.focus();
    FB.checkFocus();
    return FB.focused ? 1 : 0;
  },

  fbweb_hasFocus__deps: ['$FB'],
  fbweb_hasFocus: function() { return FB.focused ? 1 : 0; },

  fbweb_showCursor__deps: ['$FB'],
  fbweb_showCursor: function(show) {
    if (FB.canvas) FB.canvas.style.cursor = show ? 'default' : 'none';
  },

  fbweb_takeMessage__deps: ['$FB'],
  fbweb_takeMessage: function(message, wParam, lParam) {
    var taken = FB.queue.shift();
    if (!taken && FB.paintQueued) taken = [FB.WM_PAINT, 0, 0];
    if (!taken) return 0;
    if (taken[0] === FB.WM_PAINT) FB.paintQueued = false;
    HEAPU32[message >> 2] = taken[0];
    HEAP32[wParam >> 2] = taken[1];
    HEAP32[lParam >> 2] = taken[2];
    return 1;
  },

  fbweb_quitPending__deps: ['$FB'],
  fbweb_quitPending: function() {
    // WM_DESTROY, WM_CLOSE, WM_QUIT
    return FB.queue.some(function(m) {
      return m[0] === 2 || m[0] === 0x10 || m[0] === 0x12;
    }) ? 1 : 0;
  },

  fbweb_messagesWaiting__deps: ['$FB'],
  fbweb_messagesWaiting: function() { return FB.waiting(); },

  fbweb_postMessage__deps: ['$FB'],
  fbweb_postMessage: function(message, wParam, lParam) {
    FB.push(message >>> 0, wParam, lParam);
  },

  fbweb_waitMessage__deps: ['$FB'],
  fbweb_waitMessage: function(timeoutMs) {
    return FB.sleep(timeoutMs, 'message', function() {
      return FB.waiting() ? 1 : 0;
    });
  },

  fbweb_waitInput__deps: ['$FB'],
  fbweb_waitInput: function(timeoutMs) {
    return FB.sleep(timeoutMs, 'input', function() { return 0; });
  },

  fbweb_nextAnimationFrame__deps: ['$FB'],
  fbweb_nextAnimationFrame: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      FB.waitingFor = 'frame';
      requestAnimationFrame(function(time) {
        FB.frameTime = time;
        FB.waitingFor = '';
        wakeUp(time);
      });
    });
  },

  fbweb_showPicture__deps: ['$FB'],
  fbweb_showPicture: function(pixels) {
    var source = HEAPU16.subarray(pixels >> 1, (pixels >> 1) + 320 * 240);
    var target = FB.image32, lut = FB.lut;
    for (var i = 0; i < 320 * 240; ++i) target[i] = lut[source[i]];
    FB.ctx.putImageData(FB.image, 0, 0);
    var stats = FB.stats, now = performance.now();
    var slot = stats.frames % stats.times.length;
    if (stats.firstFrameAt < 0) {
      stats.firstFrameAt = now;
      document.body.classList.remove('fb-loading');
    }
    stats.times[slot] = FB.frameTime >= 0 ? FB.frameTime : now;
    stats.late[slot] = FB.frameTime >= 0 ? now - FB.frameTime : 0;
    ++stats.frames;
  },

  fbweb_playedUnshown__deps: ['$FB'],
  fbweb_playedUnshown: function() { ++FB.stats.unshown; },

  fbweb_showText__deps: ['$FB'],
  fbweb_showText: function(text, length, x, y, rgb) {
    var line = UTF8ToString(text, length);
    FB.ctx.putImageData(FB.image, 0, 0);
    FB.ctx.fillStyle = 'rgb(' + (rgb & 255) + ',' + ((rgb >> 8) & 255) + ',' +
        ((rgb >> 16) & 255) + ')';
    FB.ctx.font = '13px sans-serif';
    FB.ctx.textBaseline = 'top';
    FB.ctx.fillText(line, x, y);
  },

  fbweb_readKeys__deps: ['$FB'],
  fbweb_readKeys: function(keys) {
    HEAPU8.set(FB.keys, keys);
    // And those held on the on-screen controls (touch.js).
    if (window.fuseboundTouch)
      window.fuseboundTouch.read(function(code) {
        var dik = FB.codes[code];
        if (dik !== undefined) HEAPU8[keys + dik] = 0x80;
      });
  },

  fbweb_gamepadApi: function() {
    return typeof navigator.getGamepads === 'function' ? 1 : 0;
  },

  fbweb_readGamepad: function(axes, buttons) {
    var pads = typeof navigator.getGamepads === 'function' ?
        navigator.getGamepads() : [];
    var pad = null;
    for (var i = 0; pads && i < pads.length; ++i)
      if (pads[i] && pads[i].connected) {
        pad = pads[i];
        break;
      }
    if (!pad) return 0;
    HEAPF32[axes >> 2] = pad.axes.length > 0 ? pad.axes[0] : 0;
    HEAPF32[(axes >> 2) + 1] = pad.axes.length > 1 ? pad.axes[1] : 0;
    for (var b = 0; b < 32; ++b)
      HEAPU8[buttons + b] = b < pad.buttons.length && pad.buttons[b].pressed ? 1 : 0;
    return pad.mapping === 'standard' ? 2 : 1;
  },

  fbweb_openAudio__deps: ['$FB'],
  fbweb_openAudio: function() {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (typeof Context !== 'function') return 0;
    try {
      FB.audio = new Context();
    } catch (e) {
      return 0;
    }
    return 1;
  },

  fbweb_closeAudio__deps: ['$FB'],
  fbweb_closeAudio: function() {
    if (FB.audio) FB.audio.close().catch(function() {});
    FB.audio = null;
  },

  fbweb_messageBox__deps: ['$FB'],
  fbweb_messageBox: function(text, caption) {
    var message = UTF8ToString(text), title = UTF8ToString(caption);
    return Asyncify.handleSleep(function(wakeUp) {
      var dialog = document.getElementById('dialog');
      if (!dialog) {
        console.error(title + ': ' + message);
        wakeUp(0);
        return;
      }
      dialog.querySelector('.caption').textContent = title;
      dialog.querySelector('.text').textContent = message;
      var button = dialog.querySelector('button');
      FB.dialogOpen = true;
      FB.waitingFor = 'dialog';
      dialog.hidden = false;
      var close = function(event) {
        if (event.type === 'keydown' && event.key !== 'Enter') return;
        event.preventDefault();
        button.removeEventListener('click', close);
        dialog.removeEventListener('keydown', close);
        dialog.hidden = true;
        FB.dialogOpen = false;
        FB.waitingFor = '';
        if (FB.canvas) FB.canvas.focus();
        wakeUp(1);
      };
      button.addEventListener('click', close);
      dialog.addEventListener('keydown', close);
      button.focus();
    });
  },

  fbweb_tickCount: function() { return Date.now() >>> 0; }
});
