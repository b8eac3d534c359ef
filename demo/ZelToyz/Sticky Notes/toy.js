// Sticky Notes: a note the user types; the desktop keeps it across reloads
// and restarts.
Zelkora.registerToy({
  stylesheet: 'toy.css',
  mount: function (el, toy) {
    el.innerHTML = '<h2>Sticky Notes</h2>' +
      '<textarea class="note-text" spellcheck="false" placeholder="Click here and type a note"></textarea>';
    var text = el.querySelector('textarea');
    text.value = toy.storage.get('text') || '';
    var pending = null;
    function save() {
      clearTimeout(pending);
      pending = null;
      toy.storage.set('text', text.value);
    }
    text.addEventListener('input', function () {
      clearTimeout(pending);
      pending = setTimeout(save, 300);
    });
    text.addEventListener('blur', save);
    window.addEventListener('pagehide', save);
  }
});
