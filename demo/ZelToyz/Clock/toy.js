// Clock: the local time, ticking with the second, and the date below it.
Zelkora.registerToy({
  stylesheet: 'toy.css',
  mount: function (el, toy) {
    el.innerHTML = '<h2>Clock</h2><div class="clock-time"></div><div class="clock-date"></div>';
    var time = el.querySelector('.clock-time');
    var date = el.querySelector('.clock-date');
    var two = function (n) { return (n < 10 ? '0' : '') + n; };
    toy.every(1000, function () {
      var now = new Date();
      time.textContent = two(now.getHours()) + ':' + two(now.getMinutes()) + ':' +
                         two(now.getSeconds());
      date.textContent = now.toLocaleDateString(undefined, {
        weekday: 'long', day: 'numeric', month: 'long', year: 'numeric' });
    });
  }
});
