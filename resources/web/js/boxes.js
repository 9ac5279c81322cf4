// Message boxes: the program's (pushed by the server, answered back to it)
// and the page's own questions. Each is an element with role="alertdialog"
// and data-box, holding its caption, text and buttons.
import { apiPost } from './api.js';

// Drawn by the style sheet from a plain letter, so no emoji font is needed.
const kIcons = { stop: '\u00D7', question: '?', exclamation: '!', information: 'i', none: '' };
const shown = new Map(); // data-box value -> element
let localCount = 0;

function layer() {
  return document.getElementById('box-layer');
}

function updateLayer() {
  layer().hidden = shown.size === 0;
}

function buildBox(key, box, onButton) {
  const element = document.createElement('div');
  element.className = 'box';
  element.setAttribute('role', 'alertdialog');
  element.setAttribute('aria-modal', 'true');
  element.dataset.box = key;
  const caption = document.createElement('h2');
  caption.className = 'box-caption';
  caption.id = `box-caption-${key}`;
  caption.textContent = box.caption;
  const body = document.createElement('div');
  body.className = 'box-body';
  const icon = document.createElement('span');
  icon.className = `box-icon icon-${box.icon ?? 'none'}`;
  icon.setAttribute('aria-hidden', 'true');
  icon.textContent = kIcons[box.icon] ?? '';
  const text = document.createElement('p');
  text.className = 'box-text';
  text.id = `box-text-${key}`;
  text.textContent = box.text;
  body.append(icon, text);
  const buttons = document.createElement('div');
  buttons.className = 'box-buttons';
  for (const name of box.buttons) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = name;
    button.addEventListener('click', () => onButton(name, button));
    buttons.append(button);
  }
  element.setAttribute('aria-labelledby', caption.id);
  element.setAttribute('aria-describedby', text.id);
  element.append(caption, body, buttons);
  return element;
}

function place(key, element, box) {
  shown.set(key, element);
  layer().append(element);
  updateLayer();
  const preferred = [...element.querySelectorAll('button')].find((b) => b.textContent === box.default);
  (preferred ?? element.querySelector('button'))?.focus();
}

function remove(key) {
  shown.get(key)?.remove();
  shown.delete(key);
  updateLayer();
}

// A program's box, answered to the server; the first answer from any page wins.
function showProgramBox(box) {
  const key = String(box.id);
  if (shown.has(key)) return;
  const element = buildBox(key, box, async (name) => {
    const reply = await apiPost(`/api/boxes/${box.id}`, { button: name });
    // 404: another page or the terminal answered first; the box goes either way.
    if (reply.ok || reply.status === 404) remove(key);
  });
  place(key, element, box);
}

// The boxes waiting now, as the push stream lists them: show the new, drop the answered.
export function setWaitingBoxes(boxes) {
  const keys = new Set(boxes.map((box) => String(box.id)));
  for (const key of [...shown.keys()]) {
    if (!key.startsWith('local-') && !keys.has(key)) remove(key);
  }
  for (const box of boxes) showProgramBox(box);
}

// The boxes a command raised, from its reply (informing ones not yet closed).
export function showRaisedBoxes(boxes = []) {
  for (const box of boxes) {
    if (!box.holds) showProgramBox(box);
  }
}

// The page's own question or notice; resolves to the button's name.
export function ask(caption, text, buttons = ['OK'], icon = 'question', defaultButton = buttons[0]) {
  const key = `local-${++localCount}`;
  return new Promise((resolve) => {
    const element = buildBox(key, { caption, text, buttons, icon }, (name) => {
      remove(key);
      resolve(name);
    });
    place(key, element, { default: defaultButton });
  });
}

// A request the server refused: the reason, in a box.
export function showRefusal(reply) {
  const reason = reply.body?.error ?? `the server answered ${reply.status}`;
  return ask('Kelvora', reason, ['OK'], 'exclamation');
}
