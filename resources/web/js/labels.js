// The Labels dialog (7000), in one of its four modes: 1 Days, 2 Holidays,
// 3 Hours, 4 Temps. Like the Programs dialog it shows the program's answers
// and sends back the working copy with what the person did.
import { closeDialog, openDialog } from './dialog.js';
import { button, comboBox, element, group, listView, oneAtATime, send } from './dialog_controls.js';
import { buttonId, dialogId, labelsId } from './ids.js';

const kPath = '/api/dialogs/labels';

export async function open(mode) {
  const first = await send(kPath, { action: 'open', mode });
  if (!first) return;
  let dialog = first.dialog;
  const view = first.view;
  const labelBox = comboBox(labelsId.labels, view.labelColumn);
  const valueBox = comboBox(labelsId.values, view.valueColumn);
  labelBox.label.querySelector('.combo-caption').dataset.control = String(labelsId.labelCaption);
  valueBox.label.querySelector('.combo-caption').dataset.control = String(labelsId.valueCaption);
  const list = listView(labelsId.list, [view.labelColumn, view.valueColumn]);

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
    id: dialogId.labels,
    caption: view.title,
    build(body) {
      body.classList.add('schedule-dialog');
      const add = button(labelsId.add, 'Add', () => act('add', { label: labelBox.input.value, value: valueBox.input.value }));
      body.append(
        group(labelsId.group, view.group, element('div', { class: 'combo-row' }, labelBox.label, valueBox.label, add)),
        list.frame,
        element(
          'div',
          { class: 'row buttons' },
          button(labelsId.delete, 'Delete', () => act('delete', { ticked: list.ticked() })),
          button(labelsId.deleteAll, 'Delete All', () => act('deleteAll')),
          button(labelsId.save, 'SAVE', () => act('save')),
          button(labelsId.restore, 'Restore', () => act('restore')),
          button(buttonId.ok, 'Apply', () => act('apply')),
          button(buttonId.cancel, 'Cancel', closeDialog),
        ),
      );
    },
  });
  show(first);
}
