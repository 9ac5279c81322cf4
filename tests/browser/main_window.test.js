// The main window in headless Chromium against a real kelvora-sim, as a
// person uses it: watch, edit today's slots, answer boxes, save, quit.
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, rmSync, statSync } from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import {
  closeStartupBoxes, fileMenu, launchBrowser, newHome, openPage, removeHome, screenshots, startSimulator,
} from './support.js';
import { commandId, controlId } from '../../resources/web/js/ids.js';

let chromium;
before(async () => {
  chromium = await launchBrowser();
  mkdirSync(screenshots, { recursive: true });
});
after(async () => chromium.close());

// A simulator for one test, ended (without saving) afterwards.
async function withSimulator(run, options) {
  const home = newHome();
  const sim = await startSimulator(home, options);
  try {
    await run(sim, home);
  } finally {
    sim.process.kill('SIGKILL');
    await sim.exited;
    removeHome(home);
  }
}

const kControls = [
  controlId.weekday, controlId.date, controlId.clock, controlId.programName, controlId.slotNumber, controlId.fromTime, controlId.toTime, controlId.fromTemp, controlId.toTemp, controlId.modify, controlId.delete, controlId.slotList, controlId.modeText, controlId.fanText, controlId.heatingTime, controlId.heatingPercent, controlId.energy,
  controlId.energyPercent, controlId.cost, controlId.savings, controlId.offTime, controlId.offPercent, controlId.onTime, controlId.onPercent, controlId.degreesGained, controlId.degreesToReach, controlId.preheatMinutes, controlId.arrivalTime, controlId.windHeading, controlId.cycleStrip,
  controlId.indoorNow, controlId.indoorMinimum, controlId.indoorMean, controlId.indoorMaximum, controlId.outdoorNow, controlId.outdoorMinimum, controlId.outdoorMean, controlId.outdoorMaximum, controlId.windChillNow, controlId.windChillMinimum, controlId.windChillMean, controlId.windChillMaximum,
  controlId.windNow, controlId.windLastHour, controlId.windMean, controlId.windMaximum, controlId.sunNow, controlId.sunLastHour, controlId.sunMean, controlId.sunMaximum,
];

test('the page loads with every control, no console error, and reads well wide and narrow', async () => {
  await withSimulator(async (sim) => {
    const { page, problems } = await openPage(chromium.browser, sim.url);
    const startup = page.locator('[role="alertdialog"][data-box]', { hasText: 'Simulation MODE' });
    await startup.waitFor();
    await page.screenshot({ path: path.join(screenshots, 'startup-box-1280x800.png') });
    await closeStartupBoxes(page);
    for (const id of kControls) assert.equal(await page.locator(`[data-control="${id}"]`).count(), 1, `control ${id}`);
    for (const command of [commandId.saveStats, commandId.exitWithoutSave, commandId.quit]) {
      assert.ok(await page.locator(`[data-command="${command}"]`).isEnabled(), `command ${command}`);
    }
    for (const command of [commandId.pause, commandId.resume, commandId.heatingTime, commandId.graphCycleHistogram]) {
      assert.ok(await page.locator(`[data-command="${command}"]`).isDisabled(), `greyed ${command}`);
    }
    assert.equal(await page.locator(`[data-control="${controlId.programGroup}"] legend`).evaluate((e) => getComputedStyle(e).color),
      'rgb(0, 0, 224)');
    const pane = page.locator(`[data-control="${controlId.cycleStrip}"]`);
    assert.equal(await pane.evaluate((e) => getComputedStyle(e).color), 'rgb(224, 0, 0)');
    assert.match(await pane.textContent(), /^Heating Cycles \(ON\/OFF\)/);
    await page.screenshot({ path: path.join(screenshots, 'main-window-1280x800.png') });
    await page.setViewportSize({ width: 390, height: 844 });
    await page.screenshot({ path: path.join(screenshots, 'main-window-phone.png'), fullPage: true });
    await page.getByRole('menuitem', { name: 'File', exact: true }).click();
    await page.screenshot({ path: path.join(screenshots, 'file-menu-phone.png') });
    assert.deepEqual(problems, []);
  });
});

test('values change live without reloading', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    const clock = page.locator(`[data-control="${controlId.clock}"]`);
    const first = await clock.textContent();
    await page.waitForFunction(([selector, shown]) => document.querySelector(selector).textContent !== shown,
      [`[data-control="${controlId.clock}"]`, first]);
    assert.notEqual(await clock.textContent(), first);
  });
});

test('Modify with a new TO time adds a manual slot to the list and to the snapshot', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    const rows = page.locator(`[data-control="${controlId.slotList}"] tbody tr`);
    const before = await rows.count();
    const end = await page.locator(`[data-control="${controlId.toTime}"]`).inputValue();
    await page.locator(`[data-control="${controlId.toTime}"]`).fill(end === '23:45' ? '23:50' : '23:45');
    await page.locator(`[data-control="${controlId.modify}"]`).click();
    await page.waitForFunction(([lines, n]) => document.querySelectorAll(lines).length === n,
      [`[data-control="${controlId.slotList}"] tbody tr`, before + 1]);
    const snapshot = await page.evaluate(async () => (await fetch('/api/snapshot')).json());
    assert.equal(snapshot.slots.length, before + 1);
    assert.equal(await page.getByRole('alertdialog').count(), 0);
  });
});

test('a TO time of "7:00" shows the BAD FORMAT box', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    await page.locator(`[data-control="${controlId.toTime}"]`).fill('7:00');
    await page.locator(`[data-control="${controlId.modify}"]`).click();
    const box = page.getByRole('alertdialog');
    await box.waitFor();
    assert.match(await box.textContent(), /BAD FORMAT/);
    assert.match(await box.textContent(), /'TO Time' Must Use Format: HH:MM \(24:00\)/);
    assert.equal(await box.getAttribute('data-box') !== null, true);
    await page.screenshot({ path: path.join(screenshots, 'bad-format-box.png') });
    await box.getByRole('button', { name: 'OK' }).click();
    await box.waitFor({ state: 'detached' });
  });
});

test('Save Stats writes STAT.DAT, and a stop the program raises is shown on the page', async () => {
  await withSimulator(async (sim, home) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    const stat = path.join(home, 'DATA', 'STAT.DAT');
    rmSync(stat, { force: true });
    await fileMenu(page, commandId.saveStats);
    for (let i = 0; i < 50 && !existsSync(stat); ++i) await new Promise((r) => setTimeout(r, 100));
    assert.ok(statSync(stat).isFile());
    // A directory in STAT.DAT's place is refused by name and stops the
    // program through its error path, relays off; the page shows the box.
    rmSync(stat);
    mkdirSync(stat);
    await fileMenu(page, commandId.saveStats);
    const box = page.locator('[role="alertdialog"][data-box]', { hasText: 'SYSTEM ERROR' });
    await box.waitFor();
    await page.screenshot({ path: path.join(screenshots, 'system-error-box.png') });
    // The stop's box informs and does not hold: the program has ended.
    await page.locator('#ended').waitFor({ state: 'visible' });
    assert.equal(await sim.exited, 1);
  });
});

test('Quit asks first, ends the program and the page says so', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    await fileMenu(page, commandId.quit);
    const confirm = page.getByRole('alertdialog');
    await confirm.getByRole('button', { name: 'No' }).click();
    await fileMenu(page, commandId.quit);
    await page.getByRole('alertdialog').getByRole('button', { name: 'Yes' }).click();
    await page.locator('#ended').waitFor({ state: 'visible' });
    assert.equal(await sim.exited, 0);
    assert.match(await page.locator('#ended').textContent(), /Kelvora has ended/);
    await page.screenshot({ path: path.join(screenshots, 'ended-1280x800.png') });
  });
});

test('after a server restart the page reconnects by itself', async () => {
  const home = newHome();
  let sim = await startSimulator(home);
  try {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    const port = new URL(sim.url).port;
    sim.process.kill('SIGKILL');
    await sim.exited;
    await page.locator('#connection[data-state="offline"]').waitFor();
    sim = await startSimulator(home, { port });
    await page.locator('#connection[data-state="online"]').waitFor({ timeout: 15000 });
    await closeStartupBoxes(page);
    // The restarted program's token was fetched again: a command goes through.
    await page.locator(`[data-control="${controlId.toTime}"]`).fill('7:00');
    await page.locator(`[data-control="${controlId.modify}"]`).click();
    await page.getByRole('alertdialog', { name: 'BAD FORMAT' }).waitFor();
  } finally {
    sim.process.kill('SIGKILL');
    await sim.exited;
    removeHome(home);
  }
});

// A Wednesday noon: the slot in force is WEEKDAY's 08:00 - 16:30.
const kNoon = { start: '2024-01-10 12:00:00' };

const field = (page, id) => page.locator(`[data-control="${id}"]`);
const fields = (page) => Promise.all([controlId.fromTime, controlId.toTime, controlId.fromTemp, controlId.toTemp].map((id) => field(page, id).inputValue()));
const shownBySnapshot = async (page) => {
  const snapshot = await page.evaluate(async () => (await fetch('/api/snapshot')).json());
  return [controlId.fromTime, controlId.toTime, controlId.fromTemp, controlId.toTemp].map((id) => snapshot.controls[id]);
};
const slotRows = (page) => page.locator(`[data-control="${controlId.slotList}"] tbody tr`);

test('after Modify the four fields show what the program holds, and Modify again changes nothing', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    for (const [id, text] of [[controlId.fromTime, '10:00'], [controlId.toTime, '11:00'], [controlId.fromTemp, ''], [controlId.toTemp, '']]) await field(page, id).fill(text);
    await field(page, controlId.modify).click();
    await page.waitForFunction((lines) => document.querySelectorAll(lines).length === 7,
      `[data-control="${controlId.slotList}"] tbody tr`);
    await page.waitForTimeout(500); // a few passes
    const held = await shownBySnapshot(page);
    assert.deepEqual(held.slice(0, 2), ['08:00', '16:30']);
    assert.deepEqual(await fields(page), held);
    await page.screenshot({ path: path.join(screenshots, 'after-modify.png') });
    await field(page, controlId.modify).click();
    await page.waitForTimeout(500);
    assert.equal(await slotRows(page).count(), 7);
  }, kNoon);
});

// The range check of a typed temperature is the program's (5 to 30 °C).
test('99 typed as FROM temperature is refused with a box, and the field shows the program\'s value again', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    const held = await field(page, controlId.fromTemp).inputValue();
    await field(page, controlId.fromTemp).fill('99');
    await field(page, controlId.modify).click();
    const box = page.getByRole('alertdialog');
    await box.waitFor();
    assert.match(await box.textContent(), /TEMP Must be a Number between: {2}5°C and 30°C/);
    await page.screenshot({ path: path.join(screenshots, 'from-temp-refused.png') });
    await box.getByRole('button', { name: 'OK' }).click();
    assert.equal(await field(page, controlId.fromTemp).inputValue(), held);
    assert.equal(await slotRows(page).count(), 6);
  }, kNoon);
});

test('Delete removes the ticked slots but slot 0, and no tick is left', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    assert.equal(await slotRows(page).count(), 6);
    for (const slot of [0, 2]) await page.locator(`[data-control="${controlId.slotList}"] input[data-slot="${slot}"]`).check();
    await field(page, controlId.delete).click();
    await page.waitForFunction((lines) => document.querySelectorAll(lines).length === 5,
      `[data-control="${controlId.slotList}"] tbody tr`);
    assert.doesNotMatch(await slotRows(page).allTextContents().then((rows) => rows.join('|')), /06:30 - 08:00/);
    assert.equal(await page.locator(`[data-control="${controlId.slotList}"] input:checked`).count(), 0);
    await page.screenshot({ path: path.join(screenshots, 'after-delete.png') });
  }, kNoon);
});

test('choosing WEEKEND and pressing Modify switches today\'s program', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    await field(page, controlId.programName).selectOption('WEEKEND');
    await field(page, controlId.modify).click();
    await page.locator(`[data-control="${controlId.slotList}"] tbody tr`, { hasText: '07:30 - 22:30' }).waitFor();
    assert.equal(await field(page, controlId.programName).inputValue(), 'WEEKEND');
    assert.deepEqual((await fields(page)).slice(0, 2), ['07:30', '22:30']);
  }, kNoon);
});

test('with 29 slots the slot in force is scrolled into view', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    // Early manual slots push the slot in force (08:00 - 16:30) down the list.
    await page.evaluate(async () => {
      const token = document.querySelector('meta[name="kelvora-token"]').content;
      for (let i = 0; i < 24; ++i) {
        const minute = (n) => `00:${String(n).padStart(2, '0')}`;
        await fetch('/api/slots/modify', {
          method: 'POST',
          headers: { 'Content-Type': 'application/json', 'X-Kelvora-Token': token },
          body: JSON.stringify({ program: 'WEEKDAY', fromTime: minute(2 * i + 1), toTime: minute(2 * i + 2), fromTemp: '', toTemp: '' }),
        });
      }
    });
    await page.waitForFunction((lines) => document.querySelectorAll(lines).length === 30,
      `[data-control="${controlId.slotList}"] tbody tr`);
    const inForce = page.locator(`[data-control="${controlId.slotList}"] tr[aria-selected="true"]`);
    assert.match(await inForce.textContent(), /08:00 - 16:30/);
    const [row, frame] = await Promise.all([inForce.boundingBox(), page.locator('.slots').boundingBox()]);
    assert.ok(row.y >= frame.y && row.y + row.height <= frame.y + frame.height, JSON.stringify({ row, frame }));
    await page.screenshot({ path: path.join(screenshots, 'slots-29.png') });
  }, kNoon);
});

test('the log pane shows its caption and the strip\'s last drawn line', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    // The first minutes of the strip, and then some.
    await page.waitForFunction((strip) => /[\u2591\u2584\u2588]/.test(document.querySelector(strip).textContent),
      `[data-control="${controlId.cycleStrip}"]`);
    await page.waitForTimeout(1000);
    const pane = page.locator(`[data-control="${controlId.cycleStrip}"]`);
    const seen = await pane.evaluate((element) => {
      const lines = element.textContent.split('\n');
      const box = element.getBoundingClientRect();
      const range = document.createRange();
      range.selectNodeContents(element);
      const caption = [...range.getClientRects()][0];
      return {
        last: lines.at(-1),
        atEnd: element.scrollTop + element.clientHeight >= element.scrollHeight - 1,
        captionShown: caption.top >= box.top && caption.bottom <= box.bottom,
      };
    });
    assert.match(seen.last, /[\u2591\u2584\u2588]/);
    assert.ok(seen.atEnd && seen.captionShown, JSON.stringify(seen));
    await pane.screenshot({ path: path.join(screenshots, 'log-pane.png') });
  }, kNoon);
});

test('Exit w/o Save asks, ends the program and keeps the day files', async () => {
  await withSimulator(async (sim, home) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    await fileMenu(page, commandId.saveStats);
    const stat = path.join(home, 'DATA', 'STAT.DAT');
    for (let i = 0; i < 50 && !existsSync(stat); ++i) await new Promise((r) => setTimeout(r, 100));
    await fileMenu(page, commandId.exitWithoutSave);
    const confirm = page.getByRole('alertdialog');
    assert.match(await confirm.textContent(), /exit without saving/);
    await confirm.getByRole('button', { name: 'Yes' }).click();
    await page.locator('#ended').waitFor({ state: 'visible' });
    assert.equal(await sim.exited, 0);
    for (const name of ['STAT.DAT', 'CYCLE.DAT']) assert.ok(existsSync(path.join(home, 'DATA', name)), name);
  }, kNoon);
});

// View menu > item, as a person opens it with the mouse.
async function viewMenu(page, submenu, command) {
  await page.getByRole('menuitem', { name: 'View', exact: true }).click();
  if (submenu) await page.locator('.submenu-title', { hasText: submenu }).hover();
  await page.locator(`[data-command="${command}"]`).click();
}

test('a new home\'s empty curve and season say why they are empty; a window too narrow for a graph says so', async () => {
  await withSimulator(async (sim) => {
    const { page } = await openPage(chromium.browser, sim.url);
    await closeStartupBoxes(page);
    await viewMenu(page, 'Graph', commandId.graphPreheatCurve);
    const note = page.locator('[data-dialog="graph"] [data-control="graph-note"]');
    assert.match(await note.textContent(), /No pre-heat steps yet/);
    assert.ok(await note.isVisible());
    await page.screenshot({ path: path.join(screenshots, 'graph-empty.png') });
    await page.keyboard.press('x');
    await note.waitFor({ state: 'detached' });

    await viewMenu(page, '', 'view-season');
    const empty = page.locator('[data-control="season-days-empty"]');
    assert.match(await empty.textContent(), /No day recorded yet/);
    assert.ok(await page.locator('[data-control="season-preheats-empty"]').isVisible());
    await page.screenshot({ path: path.join(screenshots, 'season-empty.png') });
    await page.keyboard.press('Escape');

    await page.setViewportSize({ width: 300, height: 600 });
    await viewMenu(page, 'Graph', commandId.graphPreheatCurve);
    const box = page.getByRole('alertdialog');
    assert.match(await box.textContent(), /No graph mode fits a window this narrow/);
    await page.screenshot({ path: path.join(screenshots, 'graph-no-mode.png') });
    await box.getByRole('button', { name: 'OK' }).click();
    assert.equal(await page.locator('[data-dialog="graph"]').count(), 0);
  }, kNoon);
});
