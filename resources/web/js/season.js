// The season view: every stored day and pre-heat of this season and of the
// seasons kept in "History", charted with Chart.js (served by the program),
// and the records themselves as CSV downloads.
import { apiGet } from './api.js';
import { showRefusal } from './boxes.js';
import { closeRow, openDialog } from './dialog.js';

const kColours = ['#1f77b4', '#d62728', '#2ca02c', '#9467bd', '#ff7f0e', '#17becf', '#8c564b', '#e377c2'];

let chartLibrary = null;

function loadChartLibrary() {
  if (!chartLibrary) {
    chartLibrary = new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = '/lib/chart.js';
      script.addEventListener('load', () => resolve(window.Chart));
      script.addEventListener('error', () => reject(new Error('the chart library did not load')));
      document.head.append(script);
    });
  }
  return chartLibrary;
}

// "History/TEMP.19" -> "season to 2019"; the current files -> "this season".
function seasonName(file) {
  const year = /\.(\d\d)$/.exec(file);
  return year ? `season to 20${year[1]}` : 'this season';
}

function bySeason(records) {
  const seasons = new Map();
  for (const record of records) {
    const name = seasonName(record.file);
    if (!seasons.has(name)) seasons.set(name, []);
    seasons.get(name).push(record);
  }
  return [...seasons.entries()];
}

// A chart's frame; `empty` is the note shown instead of bare axes when
// there is nothing to chart yet.
function panel(body, title, control, empty = '') {
  const figure = document.createElement('figure');
  figure.className = 'season-chart';
  const caption = document.createElement('figcaption');
  caption.textContent = title;
  const canvas = document.createElement('canvas');
  canvas.dataset.control = control;
  canvas.setAttribute('role', 'img');
  canvas.setAttribute('aria-label', title);
  figure.append(caption, canvas);
  if (empty) {
    const note = document.createElement('p');
    note.className = 'season-empty';
    note.dataset.control = `${control}-empty`;
    note.textContent = empty;
    figure.append(note);
  }
  body.append(figure);
  return canvas;
}

const kCommon = { animation: false, responsive: true, maintainAspectRatio: false };

function dailyChart(Chart, canvas, days) {
  return new Chart(canvas, {
    data: {
      labels: days.map((d) => d.date),
      datasets: [
        { type: 'bar', label: 'Energy (kWh)', data: days.map((d) => d.energy), backgroundColor: '#f28e2b', yAxisID: 'energy' },
        { type: 'line', label: 'Heating (hours)', data: days.map((d) => d.hours), borderColor: '#4e79a7', pointRadius: 0, yAxisID: 'hours' },
        { type: 'line', label: 'Cost', data: days.map((d) => d.cost), borderColor: '#59a14f', pointRadius: 0, yAxisID: 'cost' },
      ],
    },
    options: {
      ...kCommon,
      scales: {
        energy: { position: 'left', title: { display: true, text: 'kWh' }, beginAtZero: true },
        hours: { position: 'right', title: { display: true, text: 'hours' }, beginAtZero: true, grid: { drawOnChartArea: false } },
        cost: { position: 'right', title: { display: true, text: 'cost' }, beginAtZero: true, grid: { drawOnChartArea: false } },
      },
    },
  });
}

function heatLossChart(Chart, canvas, days) {
  return new Chart(canvas, {
    type: 'scatter',
    data: {
      datasets: bySeason(days).map(([name, records], i) => ({
        label: name,
        data: records.map((d) => ({ x: d.exteriorMean, y: d.energy })),
        backgroundColor: kColours[i % kColours.length],
      })),
    },
    options: {
      ...kCommon,
      scales: {
        x: { title: { display: true, text: 'mean exterior temperature of the day (°C)' } },
        y: { title: { display: true, text: 'energy of the day (kWh)' }, beginAtZero: true },
      },
    },
  });
}

function arrivalChart(Chart, canvas, preheats) {
  return new Chart(canvas, {
    type: 'line',
    data: {
      labels: preheats.map((p) => p.date),
      datasets: [{
        label: 'arrival after the programmed time (minutes; below 0: early)',
        data: preheats.map((p) => p.late),
        borderColor: '#e15759',
        backgroundColor: '#e15759',
        showLine: false,
      }],
    },
    options: { ...kCommon, scales: { y: { title: { display: true, text: 'minutes late' } } } },
  });
}

function downloads(body) {
  const links = document.createElement('p');
  links.className = 'season-downloads';
  for (const [path, text, control] of [
    ['/api/season/days.csv', 'Day records (CSV)', 'days-csv'],
    ['/api/season/preheats.csv', 'Pre-heat records (CSV)', 'preheats-csv'],
  ]) {
    const link = document.createElement('a');
    link.href = path;
    link.download = '';
    link.textContent = text;
    link.dataset.control = control;
    links.append(link);
  }
  body.append(links);
}

export async function open() {
  const [reply, Chart] = await Promise.all([apiGet('/api/season'), loadChartLibrary()]);
  if (!reply.ok) {
    showRefusal(reply);
    return;
  }
  const { days, preheats, today } = reply.body;
  const { element } = openDialog({
    id: 'season',
    caption: 'Season',
    build(body, close) {
      const summary = document.createElement('p');
      summary.className = 'season-summary';
      summary.dataset.control = 'season-summary';
      const seasons = bySeason(days).map(([name, records]) => `${name}: ${records.length} days`).join(', ');
      summary.textContent = `${seasons || 'No day recorded yet'}; ${preheats.length} pre-heats. ` +
        `Today so far: ${today.energy.toFixed(2)} kWh, set-back savings ${today.savedEnergy.toFixed(2)} kWh.`;
      body.append(summary);
      const noDays = days.length ? '' : 'No day recorded yet: each day is recorded at midnight.';
      const noPreheats = preheats.length ? '' : 'No pre-heat recorded yet: each morning\'s pre-heat is recorded ' +
        'once it reaches its temperature.';
      dailyChart(Chart, panel(body, 'Each day: energy, heating hours and cost', 'season-days', noDays), days);
      heatLossChart(Chart, panel(body, 'Energy against the mean exterior temperature', 'season-heat-loss', noDays),
        days);
      arrivalChart(Chart, panel(body, 'Pre-heat arrival against the programmed time', 'season-preheats', noPreheats),
        preheats);
      downloads(body);
      const buttons = closeRow(close);
      body.append(buttons);
    },
  });
  element.classList.add('season-dialog');
}
