// The shown unit: its outputs with their sources, mute and volume, and its
// inputs to route from. Built once per unit and kept up to date in place,
// so an event never takes the focus or a slider from under a finger.
'use strict';
window.QuadrelView = (() => {
  let view = null; // { id, outputs: Map(n → parts), inputs: [buttons] }

  // Calls `send` with the latest value at most once every `gap` ms, and
  // always with the last value given.
  function throttled(send, gap) {
    let last = -Infinity;
    let timer = 0;
    let pending = null;
    const flush = () => {
      timer = 0;
      if (pending === null) return;
      const value = pending;
      pending = null;
      last = performance.now();
      send(value);
    };
    return (value) => {
      pending = value;
      if (timer) return;
      const wait = last + gap - performance.now();
      if (wait <= 0) flush();
      else timer = setTimeout(flush, wait);
    };
  }

  function sourceText(p, id, row) {
    const video = row.videoInput;
    const audio = row.audioInput;
    const one = video !== undefined ? video : audio;
    if (!one) return 'no source';
    if (video !== undefined && audio !== undefined && video !== audio) {
      return `← video ${p.portLabel(id, 'inputs', video)}, audio ${p.portLabel(id, 'inputs', audio)}`;
    }
    return `← ${p.portLabel(id, 'inputs', one)}`;
  }

  function select(p, n) {
    p.output = p.output === n ? null : n;
    for (const [m, parts] of view.outputs) parts.button.setAttribute('aria-pressed', String(m === p.output));
    for (const b of view.inputs) b.disabled = p.output === null;
    view.hint.textContent = p.output === null ? 'Tap an output, then an input.'
      : `${p.portLabel(view.id, 'outputs', p.output)} chosen: tap its new input.`;
    if (p.output !== null && view.inputs.length) view.inputs[0].focus();
  }

  async function route(p, input) {
    const output = p.output;
    if (output === null) return;
    const id = view.id;
    select(p, output); // the choice is made; tap again for another
    const result = await p.call('POST', `/api/v1/units/${id}/route`, { input, output });
    p.say(result.ok ? `${p.portLabel(id, 'outputs', output)} ← ${p.portLabel(id, 'inputs', input)}.`
      : `Not routed: ${result.data.message || result.data.error || result.status}.`, !result.ok);
    const parts = view && view.id === id && view.outputs.get(output);
    if (parts) parts.button.focus();
  }

  async function set(p, id, output, values) {
    const result = await p.call('POST', `/api/v1/units/${id}/outputs`, { output, ...values });
    if (!result.ok) p.say(`Not set: ${result.data.message || result.data.error || result.status}.`, true);
  }

  const LEVELS = [['volume', 'Volume'], ['bass', 'Bass'], ['treble', 'Treble'],
    ['subwoofer', 'Subwoofer'], ['delay', 'Delay (ms)']];

  // One level of one output as a slider that sends while it moves.
  function slider(p, id, n, key, label, unit, row) {
    const el = p.el;
    const max = key === 'delay' ? unit.record.maxDelay || 0 : 100;
    const step = key === 'delay' ? unit.record.delayStep || 1 : 1;
    const send = throttled((value) => set(p, id, n, { [key]: value }), 100);
    const input = el('input', {
      type: 'range', min: '0', max: String(max), step: String(step), class: `level-${key}`,
      value: String(row && row[key] !== undefined ? row[key] : 0),
      'aria-label': `${label} of ${p.portLabel(id, 'outputs', n)}`,
    });
    const shown = el('output', { class: 'level' }, input.value);
    const part = { input, shown, dragging: false };
    const moved = () => {
      shown.textContent = input.value;
      send(Number(input.value));
    };
    input.addEventListener('input', moved);
    input.addEventListener('change', moved);
    input.addEventListener('pointerdown', () => { part.dragging = true; });
    input.addEventListener('pointerup', () => { part.dragging = false; });
    return part;
  }

  function outputCard(p, id, n, row, unit) {
    const el = p.el;
    const name = el('span', { class: 'name' }, p.portLabel(id, 'outputs', n));
    const source = el('span', { class: 'source' }, row ? sourceText(p, id, row) : '');
    const button = el('button', {
      type: 'button', class: 'output', id: `output-${n}`, 'aria-pressed': 'false',
      onclick: () => select(p, n),
    }, name, source);
    const parts = { button, source, row: row || { output: n }, levels: new Map() };
    const card = el('li', { class: 'card' }, button);
    if (!unit.record.audio) return [card, parts];
    const abilities = unit.record.abilities || {};
    parts.mute = el('button', {
      type: 'button', class: 'mute', 'aria-pressed': String(!!(row && row.mute)),
      'aria-label': `Mute ${p.portLabel(id, 'outputs', n)}`,
      onclick: () => set(p, id, n, { mute: !parts.row.mute }),
    }, 'Mute');
    const first = el('div', { class: 'audio' }, parts.mute);
    card.append(first);
    for (const [key, label] of LEVELS) {
      if (!abilities[key] || !p.may(key)) continue;
      const part = slider(p, id, n, key, label, unit, row);
      parts.levels.set(key, part);
      if (key === 'volume') first.append(part.input, part.shown);
      else card.append(el('label', { class: 'audio more' }, el('span', {}, label), part.input, part.shown));
    }
    return [card, parts];
  }

  function render(p) {
    const box = document.getElementById('unit');
    const id = p.shown;
    const unit = id === null ? null : p.units.get(id);
    view = null;
    if (!unit) {
      box.replaceChildren(p.el('p', { class: 'note' },
        p.role === 'staff' ? 'No unit on the line is yours to control.' : 'No unit on the line.'));
      return;
    }
    const el = p.el;
    const rows = unit.state ? unit.state.outputs : [];
    view = { id, outputs: new Map(), inputs: [] };
    view.warning = el('p', { class: 'warning', role: 'alert' });
    view.hint = el('p', { class: 'hint', id: 'hint' }, 'Tap an output, then an input.');
    const list = el('ul', { class: 'outputs', 'aria-label': 'Outputs' });
    for (const n of p.outputsOf(id)) {
      const [card, parts] = outputCard(p, id, n, rows.find((r) => r.output === n), unit);
      view.outputs.set(n, parts);
      list.append(card);
    }
    const inputs = el('div', { class: 'inputs', role: 'group', 'aria-label': 'Inputs' });
    for (let n = 1; n <= unit.record.inputs; n += 1) {
      const b = el('button', { type: 'button', class: 'input', id: `input-${n}`, disabled: true,
        onclick: () => route(p, n) }, p.portLabel(id, 'inputs', n));
      view.inputs.push(b);
      inputs.append(b);
    }
    const title = el('h2', { id: 'unit-title' }, p.unitLabel(id));
    box.replaceChildren(el('section', { 'aria-labelledby': 'unit-title' }, title, view.warning,
      unit.state ? '' : el('p', { class: 'note' }, 'Its live state is not being read now.'),
      el('div', { class: 'columns' },
        el('section', { 'aria-label': 'Outputs' }, el('h3', {}, 'Outputs'), list),
        el('section', { 'aria-label': 'Inputs', class: 'inputs-part' }, el('h3', {}, 'Inputs'),
          view.hint, inputs))));
    p.output = null;
    warn(p, unit);
  }

  function warn(p, unit) {
    if (!view) return;
    view.warning.textContent = unit.answering ? '' : `${p.unitLabel(view.id)} is not answering.`;
    view.warning.hidden = unit.answering;
  }

  function output(p, event) {
    const unit = p.units.get(event.unit);
    const row = event.output;
    if (!unit || !row) return;
    if (unit.state) {
      const at = unit.state.outputs.findIndex((r) => r.output === row.output);
      if (at >= 0) unit.state.outputs[at] = row; else unit.state.outputs.push(row);
    }
    const parts = view && view.id === event.unit && view.outputs.get(row.output);
    if (!parts) return;
    parts.row = row;
    parts.source.textContent = sourceText(p, event.unit, row);
    if (parts.mute) parts.mute.setAttribute('aria-pressed', String(!!row.mute));
    for (const [key, part] of parts.levels) {
      if (row[key] === undefined || part.dragging || document.activeElement === part.input) continue;
      part.input.value = String(row[key]);
      part.shown.textContent = String(row[key]);
    }
  }

  function input(p, event) {
    const unit = p.units.get(event.unit);
    if (!unit || !unit.state || !event.input) return;
    const at = unit.state.inputs.findIndex((r) => r.input === event.input.input);
    if (at >= 0) unit.state.inputs[at] = event.input;
  }

  function unitEvent(p, event) {
    const id = event.unit && event.unit.unit;
    const unit = p.units.get(id);
    if (!unit) { p.reload(); return; }
    const back = !unit.answering && event.answering;
    unit.record = event.unit;
    unit.answering = event.answering;
    if (back) p.reload();
    else warn(p, unit);
  }

  function clear(p) {
    if (view && p.output !== null) select(p, p.output);
  }

  return { render, output, input, unit: unitEvent, clear };
})();
