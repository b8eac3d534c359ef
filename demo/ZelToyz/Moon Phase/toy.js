// Moon Phase: the moon's age in the synodic month, worked out from the date,
// drawn as the lit part of the disc.
Zelkora.registerToy({
  stylesheet: 'toy.css',
  mount: function (el, toy) {
    var SYNODIC = 29.530588853;               // days
    var NEW_MOON = Date.UTC(2000, 0, 6, 18, 14); // a known new moon
    var NAMES = ['New Moon', 'Waxing Crescent', 'First Quarter', 'Waxing Gibbous',
                 'Full Moon', 'Waning Gibbous', 'Last Quarter', 'Waning Crescent'];
    el.innerHTML = '<h2>Moon Phase</h2><div class="moon-row">' +
      '<svg class="moon" viewBox="-50 -50 100 100" aria-hidden="true">' +
      '<circle r="46" class="moon-dark"/><path class="moon-lit"/></svg>' +
      '<div><div class="moon-name"></div><div class="moon-lit-text"></div></div></div>';
    var path = el.querySelector('.moon-lit');
    toy.every(3600000, function () {
      var age = ((Date.now() - NEW_MOON) / 86400000) % SYNODIC;
      if (age < 0) age += SYNODIC;
      var phase = age / SYNODIC;                       // 0 new, 0.5 full
      var lit = (1 - Math.cos(2 * Math.PI * phase)) / 2; // lit fraction
      // The terminator is an ellipse of half-width r*|cos|; the lit limb is
      // on the right while waxing (northern view).
      var r = 46, k = Math.cos(2 * Math.PI * phase) * r;
      var waxing = phase < 0.5;
      var limb = waxing ? 1 : 0;
      var term = (phase < 0.25 || phase >= 0.75) ? (waxing ? 0 : 1) : (waxing ? 1 : 0);
      path.setAttribute('d', 'M0,-' + r + ' A' + r + ',' + r + ' 0 0,' + limb + ' 0,' + r +
                        ' A' + Math.abs(k).toFixed(2) + ',' + r + ' 0 0,' + term + ' 0,-' + r + 'Z');
      el.querySelector('.moon-name').textContent = NAMES[Math.floor(phase * 8 + 0.5) % 8];
      el.querySelector('.moon-lit-text').textContent =
        Math.round(lit * 100) + '% lit, day ' + Math.floor(age + 1) + ' of 29.5';
      el.dataset.phase = phase.toFixed(4);
    });
  }
});
