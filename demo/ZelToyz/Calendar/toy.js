// Calendar: this month, weeks from Monday, with today marked; it turns the
// page at midnight.
Zelkora.registerToy({
  stylesheet: 'toy.css',
  mount: function (el, toy) {
    var shown = '';
    function draw(now) {
      var y = now.getFullYear(), m = now.getMonth(), today = now.getDate();
      var first = (new Date(y, m, 1).getDay() + 6) % 7; // Monday first
      var days = new Date(y, m + 1, 0).getDate();
      var html = '<h2>' + now.toLocaleDateString(undefined, { month: 'long', year: 'numeric' }) +
                 '</h2><table class="cal"><tr>';
      var names = ['Mo', 'Tu', 'We', 'Th', 'Fr', 'Sa', 'Su'];
      for (var i = 0; i < 7; ++i) html += '<th>' + names[i] + '</th>';
      html += '</tr><tr>';
      for (var c = 0; c < first; ++c) html += '<td></td>';
      for (var d = 1; d <= days; ++d) {
        if ((first + d - 1) % 7 === 0 && d > 1) html += '</tr><tr>';
        html += d === today ? '<td class="today">' + d + '</td>' : '<td>' + d + '</td>';
      }
      el.innerHTML = html + '</tr></table>';
    }
    toy.every(60000, function () {
      var now = new Date();
      var key = now.toDateString();
      if (key !== shown) { shown = key; draw(now); }
    });
  }
});
