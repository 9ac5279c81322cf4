// The modal dialog container. A dialog module calls openDialog with its
// template identifier, caption and a function that fills the body; it gets
// back the dialog element (data-dialog="ID") and a close function. One
// dialog at a time, over the main window, as the program's dialogs are modal.
import { buttonId } from './ids.js';

let current = null;

export function openDialog({ id, caption, build }) {
  closeDialog();
  const layer = document.getElementById('dialog-layer');
  const dialog = document.createElement('section');
  dialog.className = 'dialog';
  dialog.setAttribute('role', 'dialog');
  dialog.setAttribute('aria-modal', 'true');
  dialog.dataset.dialog = String(id);
  const title = document.createElement('h2');
  title.className = 'dialog-title';
  title.id = `dialog-title-${id}`;
  title.textContent = caption;
  dialog.setAttribute('aria-labelledby', title.id);
  const body = document.createElement('div');
  body.className = 'dialog-body';
  dialog.append(title, body);
  layer.append(dialog);
  layer.hidden = false;
  current = dialog;
  build(body, closeDialog);
  // The dialog opens at its top, its title in view, even when its first
  // control is further down (the Close button of a long view).
  dialog.querySelector('input, select, button, textarea')?.focus({ preventScroll: true });
  return { element: dialog, close: closeDialog };
}

export function closeDialog() {
  if (!current) return;
  current.remove();
  current = null;
  document.getElementById('dialog-layer').hidden = true;
}

document.addEventListener('keydown', (event) => {
  if (event.key === 'Escape' && current && document.getElementById('box-layer').hidden) closeDialog();
});

// A row of the report dialogs' buttons: `extra` first, then Close (2).
export function closeRow(close, ...extra) {
  const closeButton = document.createElement('button');
  closeButton.type = 'button';
  closeButton.textContent = 'Close';
  closeButton.dataset.control = String(buttonId.cancel);
  closeButton.addEventListener('click', close);
  const buttons = document.createElement('div');
  buttons.className = 'stat-list-buttons';
  buttons.append(...extra, closeButton);
  return buttons;
}
