// The About box (9000): the product, the version of this build, the
// maker's lines and two pictures drawn for Kelvora.
import { apiGet } from './api.js';
import { showRefusal } from './boxes.js';
import { closeDialog, openDialog } from './dialog.js';
import { button, element } from './dialog_controls.js';

export async function open() {
  const reply = await apiGet('/api/dialogs/about');
  if (!reply.ok) {
    await showRefusal(reply);
    return;
  }
  const about = reply.body;
  openDialog({
    id: 9000,
    caption: about.caption,
    build(body) {
      body.classList.add('about-dialog');
      const text = element('textarea', { 'data-control': 9010, readonly: true, rows: 10, 'aria-label': 'About Kelvora' });
      text.value = about.text;
      body.append(
        element('img', { class: 'about-banner', 'data-control': 9003, src: about.banner, alt: 'Kelvora' }),
        element(
          'div',
          { class: 'about-main' },
          element('img', { class: 'about-picture', 'data-control': 9002, src: about.picture, alt: '' }),
          element('span', { 'data-control': 9001, hidden: true, 'aria-disabled': 'true' }),
          text,
        ),
        element('div', { class: 'row buttons' }, button(1, 'OK', closeDialog)),
      );
    },
  });
  const dialog = document.querySelector('[data-dialog="9000"]');
  dialog.querySelector('[data-control="1"]').focus();
  // The whole text shows at any width, as the original box shows it whole.
  const text = dialog.querySelector('[data-control="9010"]');
  text.style.height = `${text.scrollHeight + 4}px`;
  text.scrollTop = 0;
}
