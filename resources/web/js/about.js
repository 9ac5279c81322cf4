// The About box (9000): the product, the version of this build, the
// maker's lines and two pictures drawn for Kelvora.
import { apiGet } from './api.js';
import { showRefusal } from './boxes.js';
import { closeDialog, openDialog } from './dialog.js';
import { button, element } from './dialog_controls.js';
import { aboutId, buttonId, dialogId } from './ids.js';

export async function open() {
  const reply = await apiGet('/api/dialogs/about');
  if (!reply.ok) {
    await showRefusal(reply);
    return;
  }
  const about = reply.body;
  openDialog({
    id: dialogId.about,
    caption: about.caption,
    build(body) {
      body.classList.add('about-dialog');
      const text = element('textarea', { 'data-control': aboutId.text, readonly: true, rows: 10, 'aria-label': 'About Kelvora' });
      text.value = about.text;
      body.append(
        element('img', { class: 'about-banner', 'data-control': aboutId.banner, src: about.banner, alt: 'Kelvora' }),
        element(
          'div',
          { class: 'about-main' },
          element('img', { class: 'about-picture', 'data-control': aboutId.picture, src: about.picture, alt: '' }),
          element('span', { 'data-control': aboutId.hiddenControl, hidden: true, 'aria-disabled': 'true' }),
          text,
        ),
        element('div', { class: 'row buttons' }, button(buttonId.ok, 'OK', closeDialog)),
      );
    },
  });
  const dialog = document.querySelector(`[data-dialog="${dialogId.about}"]`);
  dialog.querySelector(`[data-control="${buttonId.ok}"]`).focus();
  // The whole text shows at any width, as the original box shows it whole.
  const text = dialog.querySelector(`[data-control="${aboutId.text}"]`);
  text.style.height = `${text.scrollHeight + 4}px`;
  text.scrollTop = 0;
}
