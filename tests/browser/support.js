// Starts kelvora-sim serving the page over a copy of the example house, and
// headless Chromium (Debian's) driven by playwright-core.
import { spawn } from 'node:child_process';
import { cpSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { controlId } from '../../resources/web/js/ids.js';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const simulator = process.env.KELVORA_SIM ?? path.join(root, 'build/test/bin/kelvora-sim');
export const screenshots = process.env.KELVORA_SCREENSHOTS ?? path.join(root, 'build/screenshots');

export function newHome() {
  const home = mkdtempSync(path.join(tmpdir(), 'kelvora-page-'));
  cpSync(path.join(root, 'examples/home'), home, { recursive: true });
  return home;
}

export function removeHome(home) {
  rmSync(home, { recursive: true, force: true });
}

// `start`: the simulated clock's first moment, "YYYY-MM-DD HH:MM:SS".
// Resolves once the page's address is printed: {url, process, exited}.
export function startSimulator(home, { port = 0, speed = 30, start } = {}) {
  const args = ['--home', home, '--listen', `127.0.0.1:${port}`, '--speed', String(speed)];
  if (start) args.push('--start', start);
  const child = spawn(simulator, args, {
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  let log = '';
  child.stderr.on('data', (chunk) => (log += chunk));
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  return new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const found = out.match(/Kelvora's page: (http:\/\/\S+)/);
      if (found) resolve({ url: found[1], process: child, exited, log: () => log });
    });
    exited.then((code) => reject(new Error(`kelvora-sim ended (${code}) before serving: ${log}`)));
  });
}

export async function launchBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), 'kelvora-chromium-'));
  // A fresh profile each run (playwright passes it as --user-data-dir).
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  return {
    browser,
    close: async () => {
      await browser.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page on `url` that records console errors and failed requests.
export async function openPage(browser, url, viewport = { width: 1280, height: 800 }) {
  const page = await browser.newPage();
  await page.setViewportSize(viewport);
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(String(error)));
  await page.goto(url);
  await page.locator('#connection[data-state="online"]').waitFor();
  await page.waitForFunction((clock) => document.querySelector(clock).textContent !== '', `[data-control="${controlId.clock}"]`);
  return { page, problems };
}

// Closes the boxes the simulated start-up showed ("NO PC Card Present ...").
export async function closeStartupBoxes(page) {
  const box = page.locator('[role="alertdialog"][data-box]', { hasText: 'Simulation MODE' });
  await box.waitFor();
  await box.getByRole('button', { name: 'OK' }).click();
  await box.waitFor({ state: 'detached' });
}

// File menu > item.
export async function fileMenu(page, command) {
  await page.getByRole('menuitem', { name: 'File', exact: true }).click();
  await page.locator(`[data-command="${command}"]`).click();
}
