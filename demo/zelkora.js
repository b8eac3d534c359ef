// zelkora.js: what every Zelkora module page shares. Include it from the
// application folder; it reads the two files the Manager writes there,
// applies the transparency level and places the bound toyz. A guide for
// authors is in docs/MODULES.md of the Zelkora sources.
(function () {
  'use strict';

  // The application folder is where this script lives (the root of the
  // page's origin).
  var base = new URL('.', document.currentScript.src).href;
  var registered = null; // the definition the toy being loaded gave

  // Resolves to the text of a file in the application folder, or to null
  // when it cannot be read. The Manager writes in the system's ANSI code
  // page. (Asynchronous: a synchronous read of a local file can stall the
  // desktop's browser.)
  function readText(relative, charset) {
    return new Promise(function (resolve) {
      var r = new XMLHttpRequest();
      var fail = function () {
        console.warn('zelkora: cannot read ' + relative);
        resolve(null);
      };
      r.onload = function () {
        if ((r.status === 0 || r.status === 200) && r.responseText) resolve(r.responseText);
        else resolve(null);
      };
      r.onerror = fail;
      r.onabort = fail;
      try {
        r.open('GET', base + relative);
        r.overrideMimeType('text/plain; charset=' + (charset || 'windows-1252'));
        r.send();
      } catch (e) {
        fail();
      }
    });
  }

  function firstLine(text) {
    return text.split(/\r\n|\r|\n/)[0];
  }

  // &utilTransparency=N& -> N, read as the Manager reads it: the leading
  // number after the first "=", kept only strictly between 0 and 100.
  function parseTransparency(text) {
    if (text === null) return 0;
    var line = firstLine(text);
    var eq = line.indexOf('=');
    var rest = eq < 0 ? line : line.slice(eq + 1);
    var m = /^[ \t]*([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)/.exec(rest);
    var n = m ? Number(m[1]) : 0;
    if (!(n > 0 && n < 100)) return 0;
    var r = Math.round(n);
    if (Math.abs(n % 1) === 0.5 && r % 2 !== 0) r -= 1; // halves to even
    return r;
  }

  // &myFav1=A&myFav2=B& -> ['A', 'B']. Names are written unescaped, so a
  // name runs up to the next numbered key, or to the line's closing "&".
  function parseBinding(text) {
    if (text === null) return [];
    var line = firstLine(text);
    var names = [];
    var at = line.indexOf('&myFav1=');
    for (var k = 1; at >= 0; ++k) {
      var start = at + ('&myFav' + k + '=').length;
      var next = line.indexOf('&myFav' + (k + 1) + '=', start);
      var end = next >= 0 ? next : (line.endsWith('&') ? line.length - 1 : line.length);
      var name = line.slice(start, Math.max(start, end));
      if (name) names.push(name);
      at = next;
    }
    return names;
  }

  // A timer that runs only while the page is seen: fn() at once, then every
  // ms milliseconds on the boundary of the wall clock (a clock ticks with
  // the second), again at once when the page is shown after being hidden,
  // and when the desktop wakes it (after a sleep, or the clock was set).
  // Timers count time the machine runs, not the wall clock's: a long period
  // is waited for a minute at a time, so that a clock set or slept through
  // is followed within a minute even untold.
  var wakers = [];
  function every(ms, fn) {
    var timer = null, due = 0;
    function tick() {
      timer = null;
      if (document.hidden) return;
      var now = Date.now();
      if (now >= due) {
        fn();
        due = now - (now % ms) + ms;
      }
      timer = setTimeout(tick, Math.min(due - now, 60000) + 5);
    }
    function wake() {
      if (timer !== null) clearTimeout(timer);
      due = 0;
      tick();
    }
    document.addEventListener('visibilitychange', function () {
      if (!document.hidden && timer === null) tick();
    });
    wakers.push(wake);
    tick();
  }

  // Runs every timer of the page and of its toyz' frames at once.
  function wake() {
    wakers.forEach(function (w) { w(); });
    document.querySelectorAll('iframe.zelkora-toy').forEach(function (f) {
      if (f.contentWindow) f.contentWindow.postMessage({ zelkora: 'wake' }, '*');
    });
  }

  var THEME_VARS = ['--toy-bg', '--toy-fg', '--toy-accent', '--toy-line', '--toy-font'];

  function toyFolder(name) {
    return 'ZelToyz/' + encodeURIComponent(name) + '/';
  }

  // Puts a toy into an element; resolves to the toy's frame, or to null when
  // the toy is not installed or failed. Each toy runs in a frame of its own
  // origin: the page cannot read the toy's data, nor the toy the page's. The
  // page tells the frame the level and the theme's look; the frame tells the
  // page its height.
  function mount(name, into) {
    return readText(toyFolder(name) + 'toy.js').then(function (code) {
      if (code === null) return null;
      return new Promise(function (resolve) {
        var frame = document.createElement('iframe');
        frame.className = 'zelkora-toy';
        frame.dataset.toy = name;
        frame.title = name;
        frame.setAttribute('sandbox', 'allow-scripts allow-same-origin');
        frame.setAttribute('scrolling', 'no');
        var settled = false;
        function settle(ok) {
          if (settled) return;
          settled = true;
          clearTimeout(timeout);
          if (!ok) {
            window.removeEventListener('message', listen);
            frame.remove();
          }
          resolve(ok ? frame : null);
        }
        function listen(e) {
          if (e.source !== frame.contentWindow || !e.data) return;
          var m = e.data;
          if (m.zelkora === 'hello') {
            var look = getComputedStyle(into);
            var vars = {};
            THEME_VARS.forEach(function (v) { vars[v] = look.getPropertyValue(v).trim(); });
            frame.contentWindow.postMessage({ zelkora: 'setup', transparency: Zelkora.transparency,
                                              vars: vars, slot: into.dataset.zelkoraSlot || '' }, '*');
          } else if (m.zelkora === 'size' && typeof m.height === 'number') {
            frame.style.height = Math.max(0, Math.min(m.height, innerHeight * 0.6)) + 'px';
          } else if (m.zelkora === 'mounted') {
            settle(true);
          } else if (m.zelkora === 'failed') {
            console.warn('zelkora: the toy ' + name + ' failed');
            settle(false);
          }
        }
        window.addEventListener('message', listen);
        var timeout = setTimeout(function () {
          console.warn('zelkora: the toy ' + name + ' did not start');
          settle(false);
        }, 10000);
        frame.src = base + toyFolder(name);
        into.appendChild(frame);
      });
    });
  }

  // The three places of a page: its own [data-zelkora-slot="1".."3"], or
  // the standard ones along the right edge.
  function slots() {
    var out = [];
    for (var k = 1; k <= 3; ++k) {
      var s = document.querySelector('[data-zelkora-slot="' + k + '"]');
      if (!s) {
        s = document.createElement('div');
        s.dataset.zelkoraSlot = String(k);
        document.body.appendChild(s);
      }
      s.classList.add('zelkora-slot', 'zelkora-slot-' + k);
      out.push(s);
    }
    return out;
  }

  // Ambient motion at a few frames a second: every CSS animation of the
  // page is paused and moved on by a timer. Each frame a desktop draws costs
  // the same however little moved, so the frame rate is the cost. Nothing
  // runs while the page is hidden, and nothing moves for those who ask for
  // less motion.
  function governMotion(fps) {
    if (window.matchMedia && matchMedia('(prefers-reduced-motion: reduce)').matches) return;
    var last = performance.now();
    var slides = new WeakMap(); // the page's animation -> whether it moves its target
    var nudges = new WeakMap(); // element -> the nudge that holds it on whole pixels
    var ours = new WeakSet();   // those nudges' animations, which no timer moves on
    function tick() {
      var now = performance.now();
      var dt = document.hidden ? 0 : now - last;
      last = now;
      var running = document.getAnimations().filter(function (a) {
        return !ours.has(a) && a.playState !== 'finished';
      });
      running.forEach(function (a) {
        if (a.playState !== 'paused') a.pause();
        a.currentTime = (a.currentTime || 0) + dt;
      });
      if (dt === 0) return;
      var moved = [];
      running.forEach(function (a) {
        var el = slider(a);
        if (el && moved.indexOf(el) < 0) moved.push(el);
      });
      // All reads first, then all writes: the page's style is worked out
      // once a frame, not once an element.
      moved.map(function (el) { return [el, wholePixelNudge(el)]; }).forEach(function (s) {
        if (s[1]) nudge(s[0], s[1]);
      });
    }
    function slider(a) {
      var el = a.effect && a.effect.target;
      // What moves a ::before or ::after moves no layer of the element's.
      if (!(el instanceof Element) || a.effect.pseudoElement) return null;
      if (!slides.has(a))
        slides.set(a, a.effect.getKeyframes().some(function (k) { return 'transform' in k; }));
      return slides.get(a) ? el : null;
    }
    // A layer drawn at a fraction of a pixel is resampled, filtered, for
    // every frame; at a whole pixel it is copied, at a fraction of the
    // cost. The browser lays the layer itself on a whole pixel (drawing the
    // fraction of its place into it), so what counts is the transform:
    // whatever only slides (or is mirrored) is nudged, by less than half a
    // pixel each way, so that its transform moves it by whole pixels.
    // Turned or scaled layers are resampled however they lie: left alone.
    function wholePixelNudge(el) {
      var style = getComputedStyle(el), m = new DOMMatrix(style.transform);
      if (!m.is2D || Math.abs(m.a) !== 1 || m.b !== 0 || m.c !== 0 || Math.abs(m.d) !== 1) return null;
      // A mirror turns about the transform's origin, which moves it too.
      var origin = style.transformOrigin.split(' ').map(parseFloat);
      var was = nudges.get(el) || {x: 0, y: 0}, r = window.devicePixelRatio || 1;
      var x = m.e + origin[0] * (1 - m.a) - was.x, y = m.f + origin[1] * (1 - m.d) - was.y;
      var to = {x: Math.round(x * r) / r - x, y: Math.round(y * r) / r - y, a: m.a, d: m.d};
      return Math.abs(to.x - was.x) < 1 / 512 && Math.abs(to.y - was.y) < 1 / 512 ? null : to;
    }
    // The nudge is an animation of its own, added to what the page's
    // animations make of the element's transform, after them: a mirrored
    // element is nudged the other way round in its own space.
    function nudge(el, to) {
      var at = 'translate(' + to.x * to.a + 'px, ' + to.y * to.d + 'px)';
      var frames = [{transform: at}, {transform: at}];
      var held = nudges.get(el);
      if (held) {
        held.animation.effect.setKeyframes(frames);
      } else {
        held = {animation: el.animate(frames, {duration: 1, fill: 'both', composite: 'add'})};
        held.animation.pause();
        ours.add(held.animation);
        nudges.set(el, held);
      }
      held.x = to.x;
      held.y = to.y;
    }
    document.getAnimations().forEach(function (a) { a.pause(); });
    setInterval(tick, 1000 / fps);
  }

  function applyTransparency(level) {
    var root = document.documentElement;
    root.style.setProperty('--zelkora-opacity', String(1 - level / 100));
    root.dataset.zelkoraTransparency = String(level);
  }

  // The values the user gave the module's properties, read from the page's
  // own origin (the desktop keeps them; a page only reads them). The desktop
  // tells the page when they changed; a page that was frozen then reads them
  // again when it is seen.
  var propertyText = null, propertyFns = [];
  function readProperties() {
    if (!/^m-/.test(location.hostname)) return Promise.resolve();
    return readText('.zelkora/properties', 'utf-8').then(function (text) {
      if (text === null || text === propertyText) return;
      var values;
      try { values = JSON.parse(text); } catch (e) { return; }
      if (!values || typeof values !== 'object') return;
      propertyText = text;
      Zelkora.properties = values;
      propertyFns.forEach(function (fn) { tellProperties(fn); });
    });
  }
  function tellProperties(fn) {
    try {
      fn(Object.assign({}, Zelkora.properties));
    } catch (e) {
      console.warn('zelkora: a properties handler failed: ' + e.message);
    }
  }

  // The sound the computer plays, as 128 values from 0 to 1 (the left
  // channel's 64 bands from bass to treble, then the right's), about 30
  // times a second while sound plays, and once all zeros when it stops.
  // Only a module whose zelkora.json says "audio": true is given them, and
  // only while it is seen.
  var audioFns = [];
  function tellAudio(values) {
    audioFns.forEach(function (fn) {
      try {
        fn(values.slice());
      } catch (e) {
        console.warn('zelkora: a sound handler failed: ' + e.message);
      }
    });
  }

  // What the music player plays: {title, artist, album, state ("playing",
  // "paused" or "stopped"), art (a data: address of the cover, or "")} at
  // every change, or null when no player is left. Only a module whose
  // zelkora.json says "media": true is told.
  var mediaFns = [], media; // undefined until the desktop told
  function tellMedia(fn) {
    try {
      fn(media ? Object.assign({}, media) : null);
    } catch (e) {
      console.warn('zelkora: a media handler failed: ' + e.message);
    }
  }

  function start() {
    var fps = Number(document.documentElement.dataset.zelkoraFps || Zelkora.fps);
    if (fps > 0) governMotion(fps);
    document.addEventListener('visibilitychange', function () {
      if (!document.hidden) readProperties();
    });
    return Promise.all([readText('themes/options.txt'), readText('ZelToyz/ZelToyz.txt'),
                        readProperties()])
      .then(function (files) {
        var level = parseTransparency(files[0]);
        // The toyz are on one display only: the desktop tells the others.
        var here = window.ZelkoraDisplay;
        var names = here && here.toyz === false ? [] : parseBinding(files[1]);
        applyTransparency(level);
        Zelkora.transparency = level;
        var places = slots();
        var placed = [];
        // One after another, in binding order; a toy that is not installed
        // leaves no gap.
        var chain = Promise.resolve();
        names.forEach(function (name) {
          chain = chain.then(function () {
            if (placed.length >= places.length) return;
            return mount(name, places[placed.length]).then(function (el) {
              if (el) placed.push(name);
            });
          });
        });
        return chain.then(function () {
          Zelkora.transparency = level;
          Zelkora.toyz = placed;
          document.documentElement.dataset.zelkora = 'ready';
          return placed;
        });
      });
  }

  // What a toy stores: text under keys, kept by the desktop in the toy's
  // own file and written at once. Read whole before the toy starts, so get()
  // answers at once; set() sends one change at a time, the latest last.
  function toyStorage() {
    return readText('.zelkora/storage', 'utf-8').then(function (text) {
      var data = {};
      try { data = JSON.parse(text || '{}') || {}; } catch (e) { data = {}; }
      var waiting = {}, sending = false;
      function send() {
        var keys = Object.keys(waiting);
        if (sending || !keys.length) return;
        var key = keys[0], value = waiting[key];
        delete waiting[key];
        sending = true;
        var r = new XMLHttpRequest();
        r.onloadend = function () { sending = false; send(); };
        r.open('GET', base + '.zelkora/storage?key=' + encodeURIComponent(key) +
                      '&value=' + encodeURIComponent(value));
        r.send();
      }
      return {
        get: function (key) {
          return Object.prototype.hasOwnProperty.call(data, key) ? String(data[key]) : null;
        },
        set: function (key, value) {
          key = String(key);
          value = String(value);
          data[key] = value;
          waiting[key] = value;
          send();
        }
      };
    });
  }

  // The inside of a toy's frame: the toy named by the frame's address, run
  // with what the page it is placed in says (or with the standard look when
  // the frame is shown alone).
  function runToy() {
    var name = decodeURIComponent(location.pathname.split('/')[2] || '');
    var root = document.documentElement;
    var embedded = window.parent !== window;
    function tell(message) {
      if (embedded) window.parent.postMessage(message, '*');
    }
    var setup = new Promise(function (resolve) {
      if (!embedded) return resolve({});
      window.addEventListener('message', function (e) {
        if (e.source !== window.parent || !e.data) return;
        if (e.data.zelkora === 'wake') wake();
        if (e.data.zelkora === 'setup') resolve(e.data);
      });
      tell({ zelkora: 'hello' });
    });
    return setup.then(function (s) {
      var vars = s.vars || {};
      THEME_VARS.forEach(function (v) {
        if (typeof vars[v] === 'string' && vars[v]) root.style.setProperty(v, vars[v]);
      });
      var level = Number(s.transparency) || 0;
      root.dataset.zelkoraTransparency = String(level);
      Zelkora.transparency = level;
      return Promise.all([readText(toyFolder(name) + 'toy.js'), toyStorage()]);
    }).then(function (got) {
      var code = got[0], storage = got[1];
      registered = null;
      try {
        if (code === null) throw new Error('no toy.js');
        new Function(code + '\n//# sourceURL=' + base + toyFolder(name) + 'toy.js')();
      } catch (e) {
        console.warn('zelkora: the toy ' + name + ' failed: ' + e.message);
      }
      var def = registered;
      registered = null;
      if (!def) return null;
      var css = def.stylesheet ? readText(toyFolder(name) + def.stylesheet) : Promise.resolve(null);
      return css.then(function (text) {
        if (text !== null) {
          var style = document.createElement('style');
          style.textContent = text;
          document.head.appendChild(style);
        }
        var el = document.createElement('section');
        el.className = 'zelkora-toy';
        el.dataset.toy = name;
        document.body.appendChild(el);
        try {
          def.mount(el, { name: name, folder: base + toyFolder(name), every: every,
                          storage: storage });
        } catch (e) {
          console.warn('zelkora: the toy ' + name + ' failed: ' + e.message);
          el.remove();
          return null;
        }
        return el;
      });
    }).then(function (el) {
      if (!el) {
        tell({ zelkora: 'failed' });
        return [];
      }
      var size = function () {
        tell({ zelkora: 'size', height: Math.ceil(el.getBoundingClientRect().height) });
      };
      size();
      new ResizeObserver(size).observe(el);
      tell({ zelkora: 'mounted' });
      root.dataset.zelkora = 'ready';
      Zelkora.toyz = [name];
      return [name];
    });
  }

  var Zelkora = window.Zelkora = {
    base: base,
    transparency: 0,
    toyz: [],
    // Frames a second of the page's CSS animations; a page may set its own
    // with <html data-zelkora-fps="N">, 0 leaving them to the browser.
    fps: 6,
    parseTransparency: parseTransparency,
    parseBinding: parseBinding,
    // Called by a toy's toy.js (in the toy's frame):
    // { stylesheet: 'toy.css', mount: function (el, toy) {} }
    registerToy: function (def) {
      if (def && typeof def.mount === 'function') registered = def;
    },
    mount: mount,
    every: every,
    // The module's properties, by name, once ready; fn(values) is called
    // with them at once when they are known, and again whenever one changes.
    properties: {},
    onProperties: function (fn) {
      if (typeof fn !== 'function') return;
      propertyFns.push(fn);
      if (propertyText !== null) tellProperties(fn);
    },
    // The desktop calls it when the user changed a property.
    propertiesChanged: function () { return readProperties(); },
    // The desktop calls it after a sleep or a jump of the clock.
    wake: wake,
    // fn(values) gets the sound's spectrum (see tellAudio above).
    onAudio: function (fn) {
      if (typeof fn === 'function') audioFns.push(fn);
    },
    // The desktop asks whether to hear for the page, and brings what it hears.
    listens: function (what) {
      return (what === 'media' ? mediaFns : audioFns).length > 0;
    },
    audio: function (values) {
      if (Array.isArray(values) && values.length === 128) tellAudio(values);
    },
    // fn(track) is told what plays (see tellMedia above), at once when known.
    onMedia: function (fn) {
      if (typeof fn !== 'function') return;
      mediaFns.push(fn);
      if (media !== undefined) tellMedia(fn);
    },
    media: function (track) {
      media = track && typeof track === 'object' ? {
        title: String(track.title || ''), artist: String(track.artist || ''),
        album: String(track.album || ''), state: String(track.state || 'stopped'),
        art: /^data:image\//.test(track.art) ? track.art : ''
      } : null;
      mediaFns.forEach(tellMedia);
    }
  };

  // A toy's frame runs the toy; pages that only show a toy (previews) set
  // data-zelkora="manual". Zelkora.ready resolves to the names of the toyz placed.
  var mode = document.documentElement.dataset.zelkora;
  if (mode === 'toy') {
    Zelkora.ready = runToy();
  } else if (mode !== 'manual') {
    Zelkora.ready = new Promise(function (resolve) {
      if (document.readyState === 'loading')
        document.addEventListener('DOMContentLoaded', function () { resolve(start()); });
      else
        resolve(start());
    });
  }
})();
