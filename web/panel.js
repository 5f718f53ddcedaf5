// The staff's panel: log in, then the units and outputs the role may touch,
// routes by tapping an output and then an input, mute and volume per
// output, and the role's scenes. The event stream keeps it live.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const VOLUME_GAP_MS = 100;
  const LINE_CHECK_MS = 4000;
  const panel = {
    csrf: '', role: null, allowed: null, scenes: null, names: {},
    units: new Map(), shown: null, output: null, events: null, lineTimer: 0,
  };

  function el(tag, props, ...children) {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(props || {})) {
      if (key === 'class') node.className = value;
      else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
      else if (key in node && !key.includes('-')) node[key] = value;
      else node.setAttribute(key, value);
    }
    for (const child of children) node.append(child);
    return node;
  }

  function say(text, bad) {
    const status = $('status');
    status.textContent = text;
    status.classList.toggle('bad', !!bad);
  }

  async function call(method, path, body) {
    const headers = {};
    if (method !== 'GET') headers['X-Quadrel-CSRF'] = panel.csrf;
    if (body !== undefined) headers['Content-Type'] = 'application/json';
    const response = await fetch(path, {
      method, headers, cache: 'no-store', credentials: 'same-origin',
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    let data = {};
    try { data = await response.json(); } catch (e) { data = {}; }
    if (response.status === 401 && path !== '/session') showLogin();
    return { ok: response.ok, status: response.status, data };
  }

  const hex = (id) => id.toString(16).toUpperCase().padStart(2, '0');
  const nameOf = (id, kind, n) => ((panel.names[id] || {})[kind] || {})[n] || '';
  function portLabel(id, kind, n) {
    const word = kind === 'inputs' ? 'Input' : 'Output';
    const name = nameOf(id, kind, n);
    return name ? `${word} ${n} · ${name}` : `${word} ${n}`;
  }
  function unitLabel(id) {
    const unit = panel.units.get(id);
    const name = (panel.names[id] || {}).unit || (unit && unit.record.name) || '';
    return name ? `Unit ${hex(id)} · ${name}` : `Unit ${hex(id)}`;
  }
  // Whether the role may set that level: the staff their volume, and what
  // the technician granted them.
  const may = (key) => !panel.granted || key === 'volume' || panel.granted.includes(key);
  // The outputs this role may touch on a unit.
  function outputsOf(id) {
    const unit = panel.units.get(id);
    const count = unit ? unit.record.outputs : 0;
    const all = Array.from({ length: count }, (_, i) => i + 1);
    if (!panel.allowed) return all;
    return (panel.allowed[String(id)] || []).filter((n) => n <= count);
  }

  function showLogin() {
    if (panel.events) panel.events.close();
    panel.events = null;
    clearInterval(panel.lineTimer);
    panel.role = null;
    $('panel').hidden = true;
    $('logout').hidden = true;
    $('who').textContent = '';
    $('login').hidden = false;
    $('secret').focus();
  }

  async function login(event) {
    event.preventDefault();
    const button = $('login-button');
    button.disabled = true;
    $('login-error').textContent = '';
    const result = await call('POST', '/session', { secret: $('secret').value });
    button.disabled = false;
    $('secret').value = '';
    if (!result.ok) {
      $('login-error').textContent =
        result.status === 401 ? 'Wrong PIN or password.' : (result.data.error || 'Not logged in.');
      $('secret').focus();
      return;
    }
    await start();
  }

  async function logout() {
    await call('DELETE', '/session');
    say('Logged out.');
    showLogin();
  }

  async function start() {
    const session = await call('GET', '/session');
    if (!session.ok || !session.data.role) {
      showLogin();
      return;
    }
    const d = session.data;
    panel.csrf = d.csrf;
    panel.role = d.role;
    panel.allowed = d.role === 'staff' ? d.outputs || {} : null;
    panel.scenes = d.role === 'staff' ? d.scenes || [] : null;
    panel.granted = d.role === 'staff' ? d.granted || [] : null;
    panel.names = d.names || {};
    say('');
    $('login').hidden = true;
    $('panel').hidden = false;
    $('logout').hidden = false;
    $('who').textContent = d.role === 'staff' ? 'Staff' : 'Technician';
    openEvents();
    await Promise.all([loadUnits(), loadScenes()]);
    clearInterval(panel.lineTimer);
    panel.lineTimer = setInterval(checkLine, LINE_CHECK_MS);
    if (d.line && !d.line.open) checkLine();
  }

  // The line's state, and whether the session still stands.
  async function checkLine() {
    const result = await call('GET', '/session');
    if (!result.ok) return;
    if (!result.data.role) { showLogin(); return; }
    const line = result.data.line || {};
    const lost = $('status').textContent.startsWith('Line lost');
    if (!line.open) say(`Line lost: the serial port${line.port ? ` COM${line.port}` : ''} is not open.`, true);
    else if (lost) { say('Line back.'); loadUnits(); }
  }

  async function loadUnits() {
    const result = await call('GET', '/api/v1/units');
    if (!result.ok) return;
    panel.units.clear();
    for (const entry of result.data.units || []) {
      const id = entry.unit.unit;
      panel.units.set(id, { record: entry.unit, answering: entry.answering, state: null });
    }
    const visible = [...panel.units.keys()].filter((id) => outputsOf(id).length > 0);
    await Promise.all(visible.map(loadUnit));
    if (!visible.includes(panel.shown)) panel.shown = visible.length ? visible[0] : null;
    renderUnits(visible);
    renderUnit();
  }

  async function loadUnit(id) {
    const result = await call('GET', `/api/v1/units/${id}`);
    const unit = panel.units.get(id);
    if (!result.ok || !unit) return;
    unit.record = result.data.unit;
    unit.answering = result.data.answering;
    unit.state = result.data.state;
  }

  async function loadScenes() {
    const result = await call('GET', '/api/v1/scenes');
    const all = result.ok && result.data.result ? result.data.result.scenes || [] : [];
    const names = all.map((s) => s.name)
      .filter((name) => !panel.scenes || panel.scenes.includes(name));
    const box = $('scenes');
    box.replaceChildren(...names.map((name) => el('button', {
      type: 'button', class: 'scene', onclick: () => recall(name),
    }, name)));
    $('scenes-part').hidden = names.length === 0;
  }

  async function recall(name) {
    say(`Recalling ${name}…`);
    const result = await call('POST', `/api/v1/scenes/${encodeURIComponent(name)}/recall`);
    say(result.ok ? `Scene ${name} recalled.` : `Scene ${name}: ${result.data.message ||
        result.data.error || 'not recalled'}.`, !result.ok);
  }

  function renderUnits(visible) {
    const nav = $('units');
    nav.replaceChildren(...visible.map((id) => el('button', {
      type: 'button', class: 'unit-tab', 'aria-pressed': String(id === panel.shown),
      onclick: () => { panel.shown = id; panel.output = null; renderUnits(visible); renderUnit(); },
    }, unitLabel(id))));
    nav.hidden = visible.length < 2;
  }

  Object.assign(panel, { el, say, call, portLabel, unitLabel, outputsOf, may, hex });
  panel.renderUnit = () => renderUnit();
  function renderUnit() { window.QuadrelView.render(panel); }
  panel.reload = loadUnits;

  function openEvents() {
    if (panel.events) panel.events.close();
    const events = new EventSource('/api/v1/events');
    panel.events = events;
    let lost = false;
    events.onerror = () => {
      lost = true;
      say('No connection to Quadrel; trying again…', true);
    };
    events.onopen = () => {
      if (lost) { lost = false; say('Connected again.'); loadUnits(); }
    };
    events.addEventListener('output', (e) => window.QuadrelView.output(panel, JSON.parse(e.data)));
    events.addEventListener('input', (e) => window.QuadrelView.input(panel, JSON.parse(e.data)));
    events.addEventListener('unit', (e) => window.QuadrelView.unit(panel, JSON.parse(e.data)));
  }

  document.addEventListener('DOMContentLoaded', () => {
    $('login-form').addEventListener('submit', login);
    document.addEventListener('keydown', (e) => {
      if (e.key === 'Escape' && panel.output !== null) window.QuadrelView.clear(panel);
    });
    $('logout').addEventListener('click', logout);
    start();
  });
})();
