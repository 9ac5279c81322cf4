// The main window (dialog 1001): shows the snapshot the server pushes and
// sends what the person does in the "Program" group and the File menu.
// Every check of an edit happens in the program; its boxes come back here.
import { apiPost } from './api.js';
import { ask, showRaisedBoxes, showRefusal } from './boxes.js';
import { commandId, controlId } from './ids.js';

const state = { controls: {}, slots: [], selectedSlot: 0, programs: [], strip: [] };

function control(id) {
  return document.querySelector(`[data-control="${id}"]`);
}

function setText(id, text) {
  const element = control(id);
  if (!element) return;
  if (element instanceof HTMLInputElement) {
    element.value = text;
  } else if (element instanceof HTMLSelectElement) {
    element.value = text;
  } else {
    element.textContent = text;
  }
}

function renderPrograms() {
  const select = control(controlId.programName);
  select.replaceChildren(...state.programs.map((name) => new Option(name, name)));
  if (state.controls[controlId.programName] !== undefined) select.value = state.controls[controlId.programName];
}

function renderSlots() {
  const body = control(controlId.slotList).querySelector('tbody');
  const ticked = new Set([...body.querySelectorAll('input:checked')].map((box) => box.dataset.slot));
  body.replaceChildren(
    ...state.slots.map((row, index) => {
      const line = document.createElement('tr');
      line.dataset.slot = String(index);
      line.setAttribute('aria-selected', String(index === state.selectedSlot));
      const number = document.createElement('td');
      const box = document.createElement('input');
      box.type = 'checkbox';
      box.dataset.slot = String(index);
      box.checked = ticked.has(String(index));
      box.setAttribute('aria-label', `Tick slot ${index}`);
      number.append(box, row.slot);
      const times = document.createElement('td');
      times.textContent = row.times;
      const temperature = document.createElement('td');
      temperature.textContent = row.temperature;
      line.append(number, times, temperature);
      return line;
    }),
  );
  showSlotInForce(body);
}

// The list scrolls itself, not the page, to show the slot in force.
function showSlotInForce(body) {
  const line = body.children[state.selectedSlot];
  const frame = control(controlId.slotList).closest('.slots');
  if (!line || !frame) return;
  const header = control(controlId.slotList).tHead?.offsetHeight ?? 0;
  const top = line.offsetTop - header;
  const bottom = line.offsetTop + line.offsetHeight;
  if (top < frame.scrollTop) frame.scrollTop = top;
  else if (bottom > frame.scrollTop + frame.clientHeight) frame.scrollTop = bottom - frame.clientHeight;
}

// The "Program" fields as the program holds them, whatever was typed.
function showProgramFields() {
  for (const id of [controlId.fromTime, controlId.toTime, controlId.fromTemp, controlId.toTemp]) {
    if (state.controls[id] !== undefined) setText(id, state.controls[id]);
  }
  renderPrograms();
}

// One strip line, its light shades (off minutes) in spans of their own so
// that the style sheet can make them as plain as the blocks.
function stripLine(text) {
  const parts = text.split(/(\u2591+)/).filter((part) => part !== '');
  return parts.map((part) => {
    if (!part.startsWith('\u2591')) return document.createTextNode(part);
    const shade = document.createElement('span');
    shade.className = 'shade-light';
    shade.textContent = part;
    return shade;
  });
}

function renderStrip() {
  const pane = control(controlId.cycleStrip);
  // The pane's text: its caption, then each strip line after CR LF. The
  // strip is sized ahead of the cycles; its blank lines at the end are not
  // shown, so that the end it scrolls to is the last drawn minute.
  const lines = [...state.strip];
  while (lines.length > 0 && lines.at(-1).trim() === '') lines.pop();
  const caption = document.createElement('span');
  caption.className = 'log-caption';
  caption.textContent = 'Heating Cycles (ON/OFF)';
  pane.replaceChildren(caption, ...lines.flatMap((line) => [document.createTextNode('\n'), ...stripLine(line)]));
  pane.scrollTop = pane.scrollHeight;
  pane.scrollLeft = pane.scrollWidth;
}

function applyControls(controls) {
  Object.assign(state.controls, controls);
  for (const [id, text] of Object.entries(controls)) setText(id, text);
}

export function showSnapshot(snapshot) {
  state.controls = {};
  applyControls(snapshot.controls ?? {});
  state.slots = snapshot.slots ?? [];
  state.selectedSlot = snapshot.selectedSlot ?? 0;
  state.programs = snapshot.programs ?? [];
  state.strip = snapshot.strip ?? [];
  renderPrograms();
  renderSlots();
  renderStrip();
}

export function applyDelta(delta) {
  if (delta.controls) applyControls(delta.controls);
  if (delta.programs) {
    state.programs = delta.programs;
    renderPrograms();
  }
  if (delta.slots || delta.selectedSlot !== undefined) {
    if (delta.slots) state.slots = delta.slots;
    if (delta.selectedSlot !== undefined) state.selectedSlot = delta.selectedSlot;
    renderSlots();
  }
  if (delta.strip) {
    state.strip = [...state.strip.slice(0, delta.strip.from), ...delta.strip.lines];
    renderStrip();
  }
}

// Runs a command; its boxes are shown; resolves to the reply.
export async function runCommand(path, body = {}) {
  const reply = await apiPost(path, body);
  if (!reply.ok) {
    await showRefusal(reply);
    return reply;
  }
  showRaisedBoxes(reply.body.boxes);
  return reply;
}

async function modify() {
  await runSlotCommand('/api/slots/modify', {
    program: control(controlId.programName).value,
    fromTime: control(controlId.fromTime).value,
    toTime: control(controlId.toTime).value,
    fromTemp: control(controlId.fromTemp).value,
    toTemp: control(controlId.toTemp).value,
  });
}

async function deleteTicked() {
  const ticked = [...control(controlId.slotList).querySelectorAll('tbody input:checked')].map((box) => Number(box.dataset.slot));
  const slots = ticked.filter((slot) => slot > 0);
  await runSlotCommand('/api/slots/delete', { slots });
  for (const box of control(controlId.slotList).querySelectorAll('tbody input:checked')) box.checked = false;
}

// An edit of today's slots: whether taken or refused, the fields then show
// the program's values. Those that the edit changes arrive with the next
// pass; the others would never be sent again, so the page puts them back.
async function runSlotCommand(path, body) {
  try {
    return await runCommand(path, body);
  } finally {
    showProgramFields();
  }
}

// File > "Exit w/o Save" and "Quit" ask first, then the page shows the end.
async function endProgram(path, question, onEnded) {
  const answer = await ask('Kelvora', question, ['Yes', 'No'], 'question', 'No');
  if (answer !== 'Yes') return;
  const reply = await runCommand(path);
  if (reply.ok && reply.body.ended) onEnded();
}

export function fileCommands(onEnded) {
  return {
    [commandId.saveStats]: () => runCommand('/api/commands/save-stats'),
    [commandId.exitWithoutSave]: () =>
      endProgram('/api/commands/exit-without-save', 'Are you sure you want to exit without saving?', onEnded),
    [commandId.quit]: () => endProgram('/api/commands/quit', 'Are you sure you want to quit Kelvora?', onEnded),
  };
}

export function wireMainWindow() {
  control(controlId.modify).addEventListener('click', modify);
  control(controlId.delete).addEventListener('click', deleteTicked);
}
