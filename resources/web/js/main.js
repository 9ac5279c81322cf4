// The page's entry: the menu bar, the live feed, the main window and the
// message boxes.
//
// How a dialog joins the page: write its module as resources/web/js/<name>.js
// exporting `open()` (built on dialog.js's openDialog, calling the API through
// api.js and showing boxes through boxes.js), then add a row to `dialogs`
// below under its menu command; the menu item is enabled once the row is
// there. Its routes go into server/routes.cc.
import { setWaitingBoxes } from './boxes.js';
import { connectFeed } from './feed.js';
import { closeMenus, wireMenuKeys } from './menu_bar.js';
import { applyDelta, fileCommands, showSnapshot, wireMainWindow } from './main_window.js';
import { commandId } from './ids.js';

// Menu command -> the dialog module it opens (loaded when first used).
const labels = (mode) => async () => ({ open: async () => (await import('./labels.js')).open(mode) });
const list = (kind) => async () => {
  const module = await import('./stat_list.js');
  return { open: () => module.openList(kind) };
};
const graph = (curve) => async () => {
  const module = await import('./step_graph.js');
  return { open: () => module.showGraph(curve) };
};
const dialogs = {
  [commandId.schedule]: () => import('./programs.js'),
  [commandId.days]: labels(1),
  [commandId.holidays]: labels(2),
  [commandId.hourLabels]: labels(3),
  [commandId.tempLabels]: labels(4),
  [commandId.settings]: () => import('./settings.js'),
  [commandId.about]: () => import('./about.js'),
  [commandId.listHeatingCycles]: list(1),
  [commandId.listPreheats]: list(2),
  [commandId.listTempDrops]: list(3),
  [commandId.graphPreheatCurve]: graph('preheat'),
  [commandId.graphTempDropCurve]: graph('drop'),
  'view-status': () => import('./status_screen.js'),
  'view-season': () => import('./season.js'),
};

function showEnded() {
  document.getElementById('ended').hidden = false;
}

function beep() {
  try {
    const audio = new AudioContext();
    const tone = audio.createOscillator();
    tone.frequency.value = 880;
    tone.connect(audio.destination);
    tone.start();
    tone.stop(audio.currentTime + 0.15);
    tone.addEventListener('ended', () => audio.close());
  } catch {
    // No sound without a person's gesture first; the box itself still shows.
  }
}

function wireMenus(commands) {
  for (const [command, load] of Object.entries(dialogs)) {
    commands[command] = async () => (await load()).open();
  }
  for (const item of document.querySelectorAll('[data-command]')) {
    const action = commands[item.dataset.command];
    item.disabled = !action;
    item.addEventListener('click', () => {
      closeMenus();
      if (!item.disabled && action) action();
    });
  }
  wireMenuKeys();
}

wireMenus(fileCommands(showEnded));
wireMainWindow();
connectFeed({
  snapshot: (snapshot) => {
    document.getElementById('ended').hidden = true;
    showSnapshot(snapshot);
  },
  delta: applyDelta,
  boxes: setWaitingBoxes,
  beep,
  ended: showEnded,
});
