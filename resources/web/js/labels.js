// The Labels dialog (7000), in one of its four modes: 1 Days, 2 Holidays,
// 3 Hours, 4 Temps. Like the Programs dialog it shows the program's answers
// and sends back the working copy with what the person did.
import { closeDialog, openDialog } from './dialog.js';
import { button, comboBox, element, group, listView, oneAtATime, send } from './dialog_controls.js';

const kPath = '/api/dialogs/labels';

export async function open(mode) {
  const first = await send(kPath, { action: 'open', mode });
  if (!first) return;
  let dialog = first.dialog;
  const view = first.view;
  const labelBox = comboBox(7012, view.labelColumn);
  const valueBox = comboBox(7011, view.valueColumn);
  labelBox.label.querySelector('.combo-caption').dataset.control = '7001';
  valueBox.label.querySelector('.combo-caption').dataset.control = '7003';
  const list = listView(7015, [view.labelColumn, view.valueColumn]);

  const show = (answer) => {
    dialog = answer.dialog;
    labelBox.setChoices(answer.view.labels);
    valueBox.setChoices(answer.view.values);
    list.show(answer.view.lines);
  };
  const act = oneAtATime(async (action, extra = {}) => {
    const answer = await send(kPath, { action, dialog, ...extra });
    if (!answer) return;
    show(answer);
    if (answer.closed) closeDialog();
  });

  openDialog({
    id: 7000,
    caption: view.title,
    build(body) {
      body.classList.add('schedule-dialog');
      const add = button(7013, 'Add', () => act('add', { label: labelBox.input.value, value: valueBox.input.value }));
      body.append(
        group(7004, view.group, element('div', { class: 'combo-row' }, labelBox.label, valueBox.label, add)),
        list.frame,
        element(
          'div',
          { class: 'row buttons' },
          button(7007, 'Delete', () => act('delete', { ticked: list.ticked() })),
          button(7006, 'Delete All', () => act('deleteAll')),
          button(7008, 'SAVE', () => act('save')),
          button(7005, 'Restore', () => act('restore')),
          button(1, 'Apply', () => act('apply')),
          button(2, 'Cancel', closeDialog),
        ),
      );
    },
  });
  show(first);
}
