'use strict';
// The guest page: search the song book, request a song, follow and cancel
// your own requests, watch the queue live. Every text from the server is set
// with textContent, never as markup.
(function () {
  const $ = (id) => document.getElementById(id);
  const pageSize = 20;
  let info = {};
  let page = 0;
  let total = 0;
  let chosen = null;
  let queue = [];
  const mine = new Set();
  let pin = new URLSearchParams(location.search).get('pin') || '';

  function say(text, bad) {
    $('message').textContent = text;
    $('message').className = bad ? 'bad' : 'good';
  }

  async function call(method, url, body) {
    const options = { method, headers: {} };
    if (body !== undefined) {
      options.headers['Content-Type'] = 'application/json';
      options.body = JSON.stringify(body);
    }
    const response = await fetch(url, options);
    let data = {};
    try { data = await response.json(); } catch (e) { data = { error: 'the server did not answer' }; }
    if (!response.ok) throw new Error(data.error || ('error ' + response.status));
    return data;
  }

  function item(parts, onTap) {
    const li = document.createElement('li');
    for (const [cls, text] of parts) {
      const span = document.createElement('span');
      span.className = cls;
      span.textContent = text;
      li.appendChild(span);
    }
    if (onTap) {
      li.tabIndex = 0;
      li.addEventListener('click', onTap);
    }
    return li;
  }

  async function search() {
    const q = $('q').value;
    try {
      const data = await call('GET', '/api/songs?q=' + encodeURIComponent(q) + '&page=' + page + '&size=' + pageSize);
      total = data.total;
      const list = $('results');
      list.replaceChildren();
      for (const song of data.songs)
        list.appendChild(item([['number', String(song.number)], ['title', song.title], ['artist', song.artist]],
                              () => choose(song)));
      list.dataset.query = q;
      const pages = Math.max(1, Math.ceil(total / pageSize));
      $('found').textContent = data.more ? 'More than ' + total + ' songs: type a few more letters'
                                         : total + (total === 1 ? ' song' : ' songs');
      $('page').textContent = (page + 1) + ' / ' + pages;
      $('prev').disabled = page === 0;
      $('next').disabled = page + 1 >= pages;
    } catch (e) { say(e.message, true); }
  }

  function choose(song) {
    if (!info.requests) { say('Requests from phones are off tonight.', true); return; }
    chosen = song;
    $('ask-title').textContent = song.title;
    $('ask-artist').textContent = song.artist;
    $('ask').hidden = false;
    $('name').focus();
  }

  async function request(event) {
    event.preventDefault();
    if (!chosen) return;
    const body = { number: chosen.number, name: $('name').value, key: Number($('key').value || 0),
                   tempo: Number($('tempo').value || 0) };
    if (pin) body.pin = pin;
    try {
      const data = await call('POST', '/api/requests', body);
      mine.add(data.id);
      $('ask').hidden = true;
      localStorage.setItem('name', $('name').value);
      say('Requested: you are number ' + data.position + ' in the queue.', false);
      renderQueue();
    } catch (e) { say(e.message, true); }
  }

  async function cancel(id) {
    try {
      await call('DELETE', '/api/requests/' + id);
      mine.delete(id);
      say('Taken back.', false);
    } catch (e) { say(e.message, true); }
  }

  function renderQueue() {
    const all = $('queue');
    all.replaceChildren();
    for (const e of queue)
      all.appendChild(item([['number', String(e.position)], ['title', e.title], ['artist', e.artist],
                            ['name', e.name], ['state', e.accepted ? 'accepted' : '']]));
    const own = $('mine');
    own.replaceChildren();
    for (const e of queue) {
      if (!e.id || !mine.has(e.id)) continue;
      const li = item([['number', String(e.position)], ['title', e.title], ['artist', e.artist],
                       ['state', e.accepted ? 'accepted' : '']]);
      if (!e.accepted) {
        const button = document.createElement('button');
        button.type = 'button';
        button.className = 'cancel';
        button.textContent = 'Cancel';
        button.addEventListener('click', () => cancel(e.id));
        li.appendChild(button);
      }
      own.appendChild(li);
    }
    $('mine-empty').hidden = own.children.length > 0;
  }

  function live() {
    const socket = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/api/live');
    socket.onmessage = (event) => {
      queue = JSON.parse(event.data).entries;
      renderQueue();
    };
    socket.onclose = () => setTimeout(live, 1000);
  }

  function show(view) {
    for (const name of ['songs', 'mine', 'queue']) {
      $('view-' + name).hidden = name !== view;
      $('tab-' + name).classList.toggle('on', name === view);
    }
  }

  function steps(select, label) {
    for (let i = -6; i <= 6; ++i) {
      const option = document.createElement('option');
      option.value = String(i);
      option.textContent = (i > 0 ? '+' : '') + i + (i === 0 ? ' ' + label : '');
      option.selected = i === 0;
      select.appendChild(option);
    }
  }

  async function start() {
    try { info = await call('GET', '/api/info'); } catch (e) { say(e.message, true); return; }
    $('key-row').hidden = !info.keyControl;
    $('tempo-row').hidden = !info.tempoControl;
    steps($('key'), '(original key)');
    steps($('tempo'), '(original tempo)');
    $('name').required = !!info.nameRequired;
    $('name').value = localStorage.getItem('name') || '';
    if (info.pinRequired && !info.admitted) {
      $('pin-form').hidden = false;
      $('pin').value = pin;
    }
    try {
      const data = await call('GET', '/api/queue');
      queue = data.entries;
      for (const e of queue) if (e.mine) mine.add(e.id);
      renderQueue();
    } catch (e) { say(e.message, true); }
    search();
    live();
  }

  let typing = null;
  $('q').addEventListener('input', () => {
    clearTimeout(typing);
    typing = setTimeout(() => { page = 0; search(); }, 150);
  });
  $('prev').addEventListener('click', () => { if (page > 0) { --page; search(); } });
  $('next').addEventListener('click', () => { ++page; search(); });
  $('ask').addEventListener('submit', request);
  $('cancel-ask').addEventListener('click', () => { $('ask').hidden = true; });
  $('pin-form').addEventListener('submit', (event) => {
    event.preventDefault();
    pin = $('pin').value.trim();
    $('pin-form').hidden = true;
  });
  $('tab-songs').addEventListener('click', () => show('songs'));
  $('tab-mine').addEventListener('click', () => show('mine'));
  $('tab-queue').addEventListener('click', () => show('queue'));
  start();
})();
