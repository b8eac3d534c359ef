// scene.js: a helper of the demo's module pages. It fills a container with
// small elements, each given its place and pace through CSS variables, from
// a fixed seed so every load (and every preview) looks the same.
var Scene = {
  scatter: function (container, className, count, seed) {
    var box = typeof container === 'string' ? document.querySelector(container) : container;
    var s = seed || 1;
    function random() { // xorshift: small, fast and repeatable
      s ^= s << 13; s ^= s >>> 17; s ^= s << 5;
      return ((s >>> 0) % 100000) / 100000;
    }
    for (var i = 0; i < count; ++i) {
      var el = document.createElement('i');
      el.className = className;
      el.style.setProperty('--x', (random() * 100).toFixed(2));
      el.style.setProperty('--y', (random() * 100).toFixed(2));
      el.style.setProperty('--r', random().toFixed(3));
      el.style.setProperty('--i', String(i));
      box.appendChild(el);
    }
  }
};
