// The interface an imported wallpaper's page had from its own program,
// Lively Wallpaper or Wallpaper Engine, in the forms that program gives it.
// The desktop serves it to the module's own page, before any of the page's
// scripts, with the values of the moment; zelkora.js (loaded just before)
// brings every later change without a reload.
(function () {
  'use strict';
  var config = {{CONFIG}};
  var imported = config.imported || {};
  var feeds = imported.feeds || {};
  var choices = config.choices || {};
  var order = config.order || [];
  var current = config.values || {};
  var lively = imported.format === 'lively';
  var args = ' ' + (imported.arguments || '') + ' ';

  // The page keeps its own pace, as it did in its program.
  document.documentElement.dataset.zelkoraFps = '0';

  function warn(what, e) {
    console.warn('zelkora: the page\'s ' + what + ' failed: ' + (e && e.message));
  }
  function call(fn, self, list, what) {
    if (typeof fn !== 'function') return;
    try {
      fn.apply(self, list);
    } catch (e) {
      warn(what, e);
    }
  }

  function channel(hex, at) {
    return String(Math.round(parseInt(hex.substr(at, 2), 16) / 255 * 10000) / 10000);
  }
  // A value as the page's program sends it: "#rrggbb" stored, "r g b" or
  // "#RRGGBB" sent; a choice by its label stored, by its index or its
  // option's value sent; a file of a folder as folder\file.
  function pageValue(name, value) {
    var feed = feeds[name] || {};
    if (feed.type === 'color' && typeof value === 'string')
      return lively ? value.toUpperCase()
                    : channel(value, 1) + ' ' + channel(value, 3) + ' ' + channel(value, 5);
    if (feed.values) {
      var at = (choices[name] || []).indexOf(value);
      if (at < 0) at = 0;
      var sent = feed.values[at];
      return feed.folder ? feed.folder + '\\' + sent : sent;
    }
    return value;
  }
  function changed(now) {
    var names = [];
    order.forEach(function (name) {
      if (name in now && now[name] !== current[name]) names.push(name);
    });
    current = Object.assign({}, current, now);
    return names;
  }

  // Wallpaper Engine: the page assigns window.wallpaperPropertyListener, and
  // is told every property at once as soon as it has, then what changes.
  var listener = null;
  function userProperties(names) {
    var props = {};
    names.forEach(function (name) {
      if (!(name in current)) return;
      props[name] = { value: pageValue(name, current[name]), type: (feeds[name] || {}).type };
    });
    return props;
  }
  function tellListener(l) {
    // After the script that assigned it: it may use what that script defines next.
    Promise.resolve().then(function () {
      if (l !== listener || !l) return;
      call(l.applyGeneralProperties, l, [{ fps: config.fps }], 'applyGeneralProperties');
      call(l.applyUserProperties, l, [userProperties(order)], 'applyUserProperties');
    });
  }
  // The sound, where the module may hear it: 128 values as both programs
  // give them (64 bands of the left channel, then the right's).
  function hear(fn) {
    if (window.Zelkora && typeof Zelkora.onAudio === 'function') Zelkora.onAudio(fn);
  }
  var silent = function () {};
  if (!lively) {
    Object.defineProperty(window, 'wallpaperPropertyListener', {
      configurable: true,
      enumerable: true,
      get: function () { return listener; },
      set: function (l) {
        listener = l;
        tellListener(l);
      }
    });
    // The sound and what plays: registered, fed where the desktop hears them.
    window.wallpaperRegisterAudioListener = function (fn) {
      if (typeof fn !== 'function') return;
      hear(function (values) { call(fn, window, [values], 'audio listener'); });
    };
    // What plays, in Wallpaper Engine's pieces: each listener is told its
    // part at once when known, then at every change.
    var PLAYBACK = { stopped: 0, playing: 1, paused: 2 };
    window.wallpaperMediaIntegration = {
      PLAYBACK_STOPPED: PLAYBACK.stopped, PLAYBACK_PLAYING: PLAYBACK.playing,
      PLAYBACK_PAUSED: PLAYBACK.paused
    };
    var mediaParts = {
      Status: function (t) { return { enabled: true }; },
      Properties: function (t) {
        return { title: t ? t.title : '', artist: t ? t.artist : '', subTitle: '',
                 albumTitle: t ? t.album : '', albumArtist: '', genres: '', contentType: 'music' };
      },
      Thumbnail: function (t) {
        return { thumbnail: t ? t.art : '', primaryColor: '#000000', secondaryColor: '#333333',
                 tertiaryColor: '#666666', textColor: '#ffffff', highContrastColor: '#ffffff' };
      },
      Playback: function (t) { return { state: PLAYBACK[t ? t.state : 'stopped'] }; }
    };
    Object.keys(mediaParts).forEach(function (what) {
      window['wallpaperRegisterMedia' + what + 'Listener'] = function (fn) {
        if (typeof fn !== 'function' || !window.Zelkora || typeof Zelkora.onMedia !== 'function') return;
        Zelkora.onMedia(function (track) {
          call(fn, window, [mediaParts[what](track)], 'media ' + what + ' listener');
        });
      };
    });
    window.wallpaperRegisterMediaTimelineListener = silent;
    window.wallpaperRequestRandomFileForProperty = silent;
  }

  // Lively: livelyPropertyListener(name, value), one a property in the
  // file's order once the page has loaded, then at every change.
  function tellLively(names) {
    names.forEach(function (name) {
      call(window.livelyPropertyListener, window, [name, pageValue(name, current[name])],
           'livelyPropertyListener');
    });
  }
  if (lively && imported.audio) {
    hear(function (values) {
      call(window.livelyAudioListener, window, [values], 'livelyAudioListener');
    });
  }
  // Lively: livelyCurrentTrack(json) with what plays, "null" for nothing.
  if (lively && args.indexOf(' --system-nowplaying ') >= 0 && window.Zelkora &&
      typeof Zelkora.onMedia === 'function') {
    Zelkora.onMedia(function (t) {
      var track = t ? {
        Title: t.title, Artist: t.artist, AlbumTitle: t.album, AlbumArtist: '', Subtitle: '',
        TrackNumber: 0, AlbumTrackCount: 0, Genres: [], PlaybackType: 1,
        Thumbnail: t.art ? t.art.replace(/^data:[^,]*,/, '') : null
      } : null;
      call(window.livelyCurrentTrack, window, [JSON.stringify(track)], 'livelyCurrentTrack');
    });
  }
  if (lively) {
    window.addEventListener('DOMContentLoaded', function () {
      // Added now, so that it comes after the load handlers the page set while loading.
      window.addEventListener('load', function () { tellLively(order); });
    });
  }

  // Paused while nobody sees the page (the desktop hides it first, then
  // freezes it). Told of changes only: a page starts playing, as it did in
  // its program, even when it was loaded out of sight.
  var paused = false;
  document.addEventListener('visibilitychange', function () {
    if (paused === document.hidden) return;
    paused = document.hidden;
    if (!lively) {
      if (listener) call(listener.setPaused, listener, [paused], 'setPaused');
    } else if (args.indexOf(' --pause-event ') >= 0) {
      call(window.livelyWallpaperPlaybackChanged, window, [JSON.stringify({ IsPaused: paused })],
           'livelyWallpaperPlaybackChanged');
    }
  });

  if (window.Zelkora && typeof Zelkora.onProperties === 'function') {
    Zelkora.onProperties(function (values) {
      var names = changed(values);
      if (!names.length) return;
      if (lively) tellLively(names);
      else if (listener) call(listener.applyUserProperties, listener, [userProperties(names)],
                              'applyUserProperties');
    });
  }
})();
