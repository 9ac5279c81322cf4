// The Settings dialog (8000): the [User] settings in the units shown, sent
// back as the controls hold them. The program checks every field, asks its
// "NOTICE" before changing the heat pump during a set-back, applies and, on
// SAVE, writes the settings file.
import { closeDialog, openDialog } from './dialog.js';
import { button, element, group, send, showDialogBox } from './dialog_controls.js';

const kPath = '/api/dialogs/settings';

function field(id, caption, suffix = '', name = caption) {
  return element(
    'label',
    { class: 'setting' },
    element('span', { class: 'setting-caption', text: caption }),
    element('input', { 'data-control': id, size: 8, maxlength: 12, autocomplete: 'off', 'aria-label': name }),
    suffix ? element('span', { class: 'unit', text: suffix }) : '',
  );
}

// A speed field: its unit is the one the form's numbers are in.
function speedField(id, caption) {
  const made = field(id, caption, 'km/h');
  made.querySelector('.unit').dataset.unit = 'speed';
  return made;
}

function choice(type, id, caption, name) {
  return element(
    'label',
    { class: 'choice' },
    element('input', { type, 'data-control': id, name }),
    element('span', { text: caption }),
  );
}

const radio = (id, caption, name) => choice('radio', id, caption, name);
const check = (id, caption) => choice('checkbox', id, caption);

function line(caption, ...parts) {
  return element('div', { class: 'row' }, caption ? element('span', { class: 'label', text: caption }) : '', ...parts);
}

function layout() {
  return element(
    'div',
    { class: 'settings-grid' },
    group(8010, 'Units',
      line('Temperature:', radio(8012, 'Farenheit', 'temp'), radio(8016, 'Celsius', 'temp')),
      line('Wind Speed:', radio(8017, 'Mi/h', 'speed'), radio(8018, 'Km/h', 'speed'))),
    group(8031, 'Preferences',
      line('Language:', element('select', { 'data-control': 8008, 'aria-label': 'Language' })),
      line('', field(8005, 'KW/h Cost:', '$'))),
    group(8056, 'AC/HeatPump',
      line('', radio(8058, 'Auto', 'hp'), radio(8059, 'Manual', 'hp')),
      line('Always:', radio(8061, 'OFF', 'always'), radio(8062, 'ON', 'always'))),
    group(8019, 'Fan',
      line('', check(8002, 'Auto'), check(8007, 'Continuous:')),
      line('', radio(8001, 'Low', 'fan'), radio(8011, 'Hi', 'fan'))),
    group(8038, 'Int. Temp Correction',
      line('', field(8044, 'Int. Temp Adjust.')),
      line('', radio(8043, 'Abs', 'int'), radio(8042, 'Relative to:', 'int'), field(8040, '', '', 'Int. Temp relative to'))),
    group(8003, 'Ext. Temp Correction',
      line('', field(8004, 'Ext. Temp Adjust.')),
      line('', radio(8026, 'Abs', 'ext'), radio(8027, 'Relative to:', 'ext'), field(8034, '', '', 'Ext. Temp relative to')),
      line('', field(8030, 'Sunlight Adjust.:', '(Max. at 100%)')),
      line('', radio(8025, 'Straight Line', 'sun'), radio(8028, 'Exponential', 'sun'), field(8037, '', '', 'Exponent'))),
    group(8023, 'Override Mode',
      line('', check(8020, 'SUNNY Econo Mode:')),
      line('', field(8013, 'SUN Floor (%):'), field(8022, 'Ext.Temp Floor:'), field(8021, 'Temp SetBack:')),
      line('', check(8048, 'Extreme COLD Mode:')),
      line('', speedField(8055, 'WIND Speed:'), field(8054, 'Ext.Temp Ceil:'), field(8051, 'Temp SetForward:'))),
  );
}

function fill(body, answer) {
  const { form } = answer;
  const language = body.querySelector('[data-control="8008"]');
  language.replaceChildren(...answer.languages.map((name) => new Option(name, name)));
  for (const [id, text] of Object.entries(form.texts)) body.querySelector(`[data-control="${id}"]`).value = text;
  for (const input of body.querySelectorAll('input[type="radio"], input[type="checkbox"]'))
    input.checked = form.ticked.includes(Number(input.dataset.control));
  for (const id of answer.disabled) body.querySelector(`[data-control="${id}"]`).disabled = true;
  const speedUnit = form.ticked.includes(8017) ? 'mph' : 'km/h';
  for (const unit of body.querySelectorAll('[data-unit="speed"]')) unit.textContent = speedUnit;
}

function read(body, form) {
  const texts = {};
  for (const id of Object.keys(form.texts)) texts[id] = body.querySelector(`[data-control="${id}"]`).value;
  const ticked = [...body.querySelectorAll('input:checked')].map((input) => Number(input.dataset.control));
  return { texts, ticked, stamp: form.stamp };
}

export async function open() {
  let answer = await send(kPath, { action: 'open' });
  if (!answer) return;
  let body = null;
  const apply = async (action) => {
    const form = read(body, answer.form);
    let reply = await send(kPath, { action, form });
    if (reply?.ask) {
      const choice = await showDialogBox(reply.ask);
      reply = await send(kPath, { action, form, answer: choice });
    }
    if (!reply) return;
    if (reply.closed) closeDialog();
    else if (reply.form) {
      answer = reply;
      fill(body, answer);
    }
  };
  openDialog({
    id: 8000,
    caption: 'Settings',
    build(dialogBody) {
      body = dialogBody;
      body.classList.add('settings-dialog');
      body.append(
        layout(),
        element('div', { class: 'row buttons' },
          button(8100, 'SAVE', () => apply('save')),
          button(1, 'Modify', () => apply('modify')),
          button(2, 'Cancel', closeDialog)),
      );
    },
  });
  fill(body, answer);
}
