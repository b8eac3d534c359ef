// Weather: a forecast needs a weather service on the Internet, and this
// installation has none. The toy says so plainly rather than showing empty
// values.
Zelkora.registerToy({
  stylesheet: 'toy.css',
  mount: function (el) {
    el.innerHTML = '<h2>Weather</h2><div class="wx-row">' +
      '<svg class="wx-icon" viewBox="0 0 64 48" aria-hidden="true">' +
      '<path d="M18 40h30a10 10 0 0 0 0-20 14 14 0 0 0-27-3A11 11 0 0 0 18 40z"/>' +
      '<line x1="10" y1="44" x2="54" y2="4"/></svg>' +
      '<div><div class="wx-state">Offline</div>' +
      '<div class="wx-note">No forecast: no weather service can be reached.</div></div></div>';
    el.dataset.state = 'offline';
  }
});
