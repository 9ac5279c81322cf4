// The text status screen (80 columns by 25 rows) as the program keeps it for
// a terminal, shown here so that it can be read when Kelvora runs as a service.
import { apiGet } from './api.js';
import { closeRow, openDialog } from './dialog.js';

const kRefreshMs = 1000;

export function open() {
  let timer = null;
  const { element } = openDialog({
    id: 'status-screen',
    caption: 'Status Screen',
    build(body, close) {
      const screen = document.createElement('pre');
      screen.className = 'status-screen';
      screen.dataset.control = 'status-screen';
      const refresh = async () => {
        if (!screen.isConnected) {
          clearInterval(timer);
          return;
        }
        const reply = await apiGet('/api/status-screen');
        if (reply.ok) screen.textContent = reply.body.rows.join('\n');
      };
      refresh();
      timer = setInterval(refresh, kRefreshMs);
      const buttons = closeRow(close);
      body.append(screen, buttons);
    },
  });
  element.classList.add('status-screen-dialog');
}
