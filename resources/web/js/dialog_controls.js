// The pieces the schedule and settings dialogs are built from: group boxes,
// combo boxes (a text field with a list of choices), list views with check
// boxes, buttons, and the call that sends what the person did and shows
// the program's answer. Every element carries its template identifier.
import { apiPost } from './api.js';
import { ask, showRaisedBoxes, showRefusal } from './boxes.js';

export function element(tag, attributes = {}, ...children) {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === false) continue;
    if (name === 'text') made.textContent = value;
    else made.setAttribute(name, value === true ? '' : String(value));
  }
  made.append(...children);
  return made;
}

export function group(id, caption, ...children) {
  return element('fieldset', { class: 'group', 'data-control': id }, element('legend', { text: caption }), ...children);
}

let comboCount = 0;

// A combo box: typed text or a choice from `choices`.
export function comboBox(id, caption) {
  const listId = `combo-list-${++comboCount}`;
  const input = element('input', { 'data-control': id, list: listId, autocomplete: 'off', 'aria-label': caption });
  const list = element('datalist', { id: listId });
  const setChoices = (choices) => list.replaceChildren(...choices.map((text) => element('option', { value: text })));
  const label = element('label', { class: 'combo' }, element('span', { class: 'combo-caption', text: caption }), input, list);
  return { label, input, setChoices };
}

export function button(id, caption, onClick) {
  const made = element('button', { type: 'button', 'data-control': id, text: caption });
  made.addEventListener('click', onClick);
  return made;
}

// A list view with a check box on each line; `columns` are the titles after "No.".
export function listView(id, columns) {
  const body = element('tbody');
  const head = element('tr', {}, element('th', { text: 'No.' }), ...columns.map((title) => element('th', { text: title })));
  const table = element('table', { class: 'list-view', 'data-control': id }, element('thead', {}, head), body);
  const frame = element('div', { class: 'list-frame' }, table);
  const setTitles = (titles) => titles.forEach((title, i) => (head.children[i + 1].textContent = title));
  const show = (lines) =>
    body.replaceChildren(
      ...lines.map((line) => {
        const tick = element('input', { type: 'checkbox', 'aria-label': `Tick line ${line.number.trim()}` });
        tick.dataset.index = String(line.index);
        return element(
          'tr',
          { 'data-index': line.index },
          element('td', { class: 'number' }, tick, line.number),
          ...line.cells.slice(-columns.length).map((cell) => element('td', { text: cell })),
        );
      }),
    );
  const ticked = () => [...body.querySelectorAll('input:checked')].map((tick) => Number(tick.dataset.index));
  return { frame, show, ticked, setTitles };
}

// A dialog's box from the program, shown as the page's own; resolves to the button.
export function showDialogBox(box) {
  return ask(box.caption, box.text, box.buttons, box.icon, box.default);
}

// Sends an action; shows a refusal or the boxes it raised; resolves to the
// answer's body, or null when the request itself was refused.
export async function send(path, body) {
  const reply = await apiPost(path, body);
  if (!reply.ok) {
    await showRefusal(reply);
    return null;
  }
  showRaisedBoxes(reply.body.boxes);
  if (reply.body.box) await showDialogBox(reply.body.box);
  return reply.body;
}

// One action at a time: each carries the working copy the last answer
// brought, so an action sent while another is under way would send a stale
// one, and an answer arriving late would show a dialog already closed.
export function oneAtATime(act) {
  let last = Promise.resolve();
  return (...args) => {
    last = last.catch(() => {}).then(() => act(...args));
    return last;
  };
}
