// The Settings dialog (8000): the [User] settings in the units shown, sent
// back as the controls hold them. The program checks every field, asks its
// "NOTICE" before changing the heat pump during a set-back, applies and, on
// SAVE, writes the settings file.
import { closeDialog, openDialog } from './dialog.js';
import { button, element, group, send, showDialogBox } from './dialog_controls.js';
import { buttonId, dialogId, settingsId } from './ids.js';

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
    group(settingsId.unitsGroup, 'Units',
      line('Temperature:', radio(settingsId.fahrenheit, 'Farenheit', 'temp'), radio(settingsId.celsius, 'Celsius', 'temp')),
      line('Wind Speed:', radio(settingsId.milesPerHour, 'Mi/h', 'speed'), radio(settingsId.kmPerHour, 'Km/h', 'speed'))),
    group(settingsId.preferencesGroup, 'Preferences',
      line('Language:', element('select', { 'data-control': settingsId.language, 'aria-label': 'Language' })),
      line('', field(settingsId.kwhCost, 'KW/h Cost:', '$'))),
    group(settingsId.heatPumpGroup, 'AC/HeatPump',
      line('', radio(settingsId.heatPumpAuto, 'Auto', 'hp'), radio(settingsId.heatPumpManual, 'Manual', 'hp')),
      line('Always:', radio(settingsId.heatPumpAlwaysOff, 'OFF', 'always'), radio(settingsId.heatPumpAlwaysOn, 'ON', 'always'))),
    group(settingsId.fanGroup, 'Fan',
      line('', check(settingsId.autoFan, 'Auto'), check(settingsId.continuousFan, 'Continuous:')),
      line('', radio(settingsId.fanLow, 'Low', 'fan'), radio(settingsId.fanHigh, 'Hi', 'fan'))),
    group(settingsId.interiorGroup, 'Int. Temp Correction',
      line('', field(settingsId.intAdjust, 'Int. Temp Adjust.')),
      line('', radio(settingsId.intAbsolute, 'Abs', 'int'), radio(settingsId.intRelative, 'Relative to:', 'int'), field(settingsId.intRelativeTo, '', '', 'Int. Temp relative to'))),
    group(settingsId.exteriorGroup, 'Ext. Temp Correction',
      line('', field(settingsId.extAdjust, 'Ext. Temp Adjust.')),
      line('', radio(settingsId.extAbsolute, 'Abs', 'ext'), radio(settingsId.extRelative, 'Relative to:', 'ext'), field(settingsId.extRelativeTo, '', '', 'Ext. Temp relative to')),
      line('', field(settingsId.sunAdjust, 'Sunlight Adjust.:', '(Max. at 100%)')),
      line('', radio(settingsId.sunStraightLine, 'Straight Line', 'sun'), radio(settingsId.sunExponential, 'Exponential', 'sun'), field(settingsId.sunExponent, '', '', 'Exponent'))),
    group(settingsId.overrideGroup, 'Override Mode',
      line('', check(settingsId.sunnyEconoMode, 'SUNNY Econo Mode:')),
      line('', field(settingsId.sunFloor, 'SUN Floor (%):'), field(settingsId.extTempFloor, 'Ext.Temp Floor:'), field(settingsId.tempSetBack, 'Temp SetBack:')),
      line('', check(settingsId.coldMode, 'Extreme COLD Mode:')),
      line('', speedField(settingsId.windFloor, 'WIND Speed:'), field(settingsId.extTempCeil, 'Ext.Temp Ceil:'), field(settingsId.tempSetForward, 'Temp SetForward:'))),
  );
}

function fill(body, answer) {
  const { form } = answer;
  const language = body.querySelector(`[data-control="${settingsId.language}"]`);
  language.replaceChildren(...answer.languages.map((name) => new Option(name, name)));
  for (const [id, text] of Object.entries(form.texts)) body.querySelector(`[data-control="${id}"]`).value = text;
  for (const input of body.querySelectorAll('input[type="radio"], input[type="checkbox"]'))
    input.checked = form.ticked.includes(Number(input.dataset.control));
  for (const id of answer.disabled) body.querySelector(`[data-control="${id}"]`).disabled = true;
  const speedUnit = form.ticked.includes(settingsId.milesPerHour) ? 'mph' : 'km/h';
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
    id: dialogId.settings,
    caption: 'Settings',
    build(dialogBody) {
      body = dialogBody;
      body.classList.add('settings-dialog');
      body.append(
        layout(),
        element('div', { class: 'row buttons' },
          button(settingsId.save, 'SAVE', () => apply('save')),
          button(buttonId.ok, 'Modify', () => apply('modify')),
          button(buttonId.cancel, 'Cancel', closeDialog)),
      );
    },
  });
  fill(body, answer);
}
