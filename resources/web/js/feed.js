// The push stream (/api/events): the whole snapshot on connecting, then only
// what changed. A dropped stream reconnects by itself; the indicator in the
// title bar says when the page is offline.
import { refreshToken } from './api.js';

const kRetryMs = 2000;
const kEndedRetryMs = 5000;

export function connectFeed(handlers) {
  const indicator = document.getElementById('connection');
  let wasOffline = false;
  let ended = false;

  const setState = (state, text) => {
    indicator.dataset.state = state;
    indicator.textContent = text;
  };

  const open = () => {
    const source = new EventSource('/api/events');
    const on = (name, handler) =>
      source.addEventListener(name, (event) => handler(JSON.parse(event.data)));
    source.addEventListener('open', () => setState('online', 'live'));
    on('snapshot', async (snapshot) => {
      ended = false;
      if (wasOffline) {
        wasOffline = false;
        await refreshToken().catch(() => {});
      }
      setState('online', 'live');
      handlers.snapshot(snapshot);
    });
    on('delta', handlers.delta);
    on('boxes', handlers.boxes);
    on('beep', handlers.beep);
    on('ended', () => {
      ended = true;
      source.close();
      setState('ended', 'ended');
      handlers.ended();
      // Should the program be started again, the page comes back to life.
      setTimeout(open, kEndedRetryMs);
    });
    source.addEventListener('error', () => {
      if (ended) {
        source.close();
        setTimeout(open, kEndedRetryMs);
        return;
      }
      wasOffline = true;
      setState('offline', 'offline: reconnecting…');
      // A refused stream (too many pages) is not retried by the browser itself.
      if (source.readyState === EventSource.CLOSED) setTimeout(open, kRetryMs);
    });
  };
  open();
}
