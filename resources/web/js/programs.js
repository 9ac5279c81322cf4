// The "Programs Setting/Editing" dialog (6000): the steps of one program at
// a time, Add, Delete, Delete All, SAVE, Restore, Apply and Cancel. The
// working copy and every check live in the program; this module shows the
// answers and keeps the working copy to send back.
import { closeDialog, openDialog } from './dialog.js';
import { button, comboBox, element, group, listView, oneAtATime, send } from './dialog_controls.js';
import { buttonId, dialogId, programsId } from './ids.js';

const kPath = '/api/dialogs/programs';

export async function open() {
  const first = await send(kPath, { action: 'open' });
  if (!first) return;
  let dialog = first.dialog;
  const names = comboBox(programsId.names, 'Names:');
  const times = comboBox(programsId.times, 'Times:');
  const temps = comboBox(programsId.temps, 'Temps:');
  const list = listView(programsId.list, ['Names', 'Times', 'Temps']);

  const show = (answer) => {
    dialog = answer.dialog;
    const view = answer.view;
    names.setChoices(view.names);
    times.setChoices(view.times);
    temps.setChoices(view.temps);
    names.input.value = view.shown;
    list.show(view.lines);
  };
  const act = oneAtATime(async (action, extra = {}) => {
    const answer = await send(kPath, { action, dialog, ...extra });
    if (!answer) return;
    show(answer);
    if (answer.closed) closeDialog();
  });
  names.input.addEventListener('input', () => {
    if (dialog.names.includes(names.input.value)) act('choose', { program: names.input.value });
  });

  openDialog({
    id: dialogId.programs,
    caption: 'Programs Setting/Editing',
    build(body) {
      body.classList.add('schedule-dialog');
      const add = button(programsId.add, 'Add', () =>
        act('add', { name: names.input.value, time: times.input.value, temp: temps.input.value }),
      );
      body.append(
        group(programsId.group, 'Programs', element('div', { class: 'combo-row' }, names.label, times.label, temps.label, add)),
        list.frame,
        element(
          'div',
          { class: 'row buttons' },
          button(programsId.delete, 'Delete', () => act('delete', { ticked: list.ticked() })),
          button(programsId.deleteAll, 'Delete All', () => act('deleteAll')),
          button(programsId.save, 'SAVE', () => act('save')),
          button(programsId.restore, 'Restore', () => act('restore')),
          button(buttonId.ok, 'Apply', () => act('apply')),
          button(buttonId.cancel, 'Cancel', closeDialog),
        ),
      );
    },
  });
  show(first);
}
