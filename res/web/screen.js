'use strict';
// The venue screen: the song now singing and the next eight, live over a
// WebSocket. Every text from the server is set with textContent.
(function () {
  const $ = (id) => document.getElementById(id);
  const upNext = 8;

  function render(entries) {
    const now = entries[0];
    $('now-title').textContent = now ? now.title : 'The stage is free';
    $('now-artist').textContent = now ? now.artist : 'Scan the code and request a song';
    $('now-name').textContent = now ? now.name : '';
    $('now-box').classList.toggle('accepted', !!(now && now.accepted));
    const list = $('next');
    list.replaceChildren();
    for (const e of entries.slice(1, 1 + upNext)) {
      const li = document.createElement('li');
      if (e.accepted) li.className = 'accepted';
      for (const [cls, text] of [['position', String(e.position)], ['title', e.title], ['artist', e.artist],
                                 ['name', e.name], ['state', e.accepted ? '\u2713' : '']]) {
        const span = document.createElement('span');
        span.className = cls;
        span.textContent = text;
        li.appendChild(span);
      }
      list.appendChild(li);
    }
  }

  function live() {
    const socket = new WebSocket('ws://' + location.host + '/api/live');
    socket.onmessage = (event) => render(JSON.parse(event.data).entries);
    socket.onclose = () => setTimeout(live, 1000);
  }

  fetch('/api/info').then((r) => r.json()).then((info) => { $('url').textContent = info.url; });
  live();
})();
