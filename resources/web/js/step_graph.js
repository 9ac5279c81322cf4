// The curve of a pre-heat or a temperature drop, drawn full screen at the
// size the program chose for this viewport: every line and text comes from
// the program, this module only paints them. Any key or click closes it.
import { apiPost } from './api.js';
import { ask, showRefusal } from './boxes.js';

function paint(canvas, graph) {
  const context = canvas.getContext('2d');
  context.fillStyle = '#000';
  context.fillRect(0, 0, graph.width, graph.height);
  context.lineWidth = 1;
  for (const line of graph.lines) {
    context.strokeStyle = line.colour;
    context.beginPath();
    context.moveTo(line.x1 + 0.5, line.y1 + 0.5);
    context.lineTo(line.x2 + 0.5, line.y2 + 0.5);
    context.stroke();
    // A line of no length is still its one pixel.
    if (line.x1 === line.x2 && line.y1 === line.y2) {
      context.fillStyle = line.colour;
      context.fillRect(line.x1, line.y1, 1, 1);
    }
  }
  const cellWidth = graph.width / graph.columns;
  const cellHeight = graph.height / graph.rows;
  context.font = `${Math.floor(cellHeight * 0.9)}px "DejaVu Sans Mono", "Liberation Mono", monospace`;
  context.textBaseline = 'top';
  for (const text of graph.texts) {
    context.fillStyle = text.colour;
    context.fillText(text.text, (text.column - 1) * cellWidth, (text.row - 1) * cellHeight);
  }
}

// `curve`: "preheat", "drop", or "list" (the drop's steps when there are
// some, else the pre-heat's).
export async function showGraph(curve) {
  const depth = Math.min(window.screen.colorDepth || 24, 64);
  const reply = await apiPost(`/api/graphs/${curve}`, { width: window.innerWidth, height: window.innerHeight, depth });
  if (!reply.ok) {
    showRefusal(reply);
    return;
  }
  const graph = reply.body;
  if (graph.mode <= 0) {
    await ask('Kelvora', 'No graph mode fits a window this narrow, so the curve cannot be drawn. ' +
      'Widen the window (or zoom out) and choose the curve again.', ['OK'], 'information');
    return;
  }
  const screen = document.createElement('div');
  screen.className = 'graph-screen';
  screen.dataset.dialog = 'graph';
  screen.dataset.mode = String(graph.mode);
  screen.setAttribute('role', 'dialog');
  screen.setAttribute('aria-label', curve === 'preheat' ? 'Preheat Curve' : 'Temp Drop Curve');
  const canvas = document.createElement('canvas');
  canvas.dataset.control = 'graph';
  canvas.width = graph.width;
  canvas.height = graph.height;
  screen.append(canvas);
  // Axes alone would look like a fault: say why the curve is missing.
  if (!graph.lines.some((line) => line.part !== 'axis')) {
    const note = document.createElement('p');
    note.className = 'graph-note';
    note.dataset.control = 'graph-note';
    note.setAttribute('role', 'status');
    note.textContent = curve === 'preheat'
      ? 'No pre-heat steps yet: the curve is drawn from the steps of the current or last pre-heat.'
      : 'No steps yet: the curve is drawn from the steps of the current or last temperature drop.';
    screen.append(note);
  }
  document.body.append(screen);
  paint(canvas, graph);

  const close = (event) => {
    event.preventDefault();
    event.stopImmediatePropagation();
    document.removeEventListener('keydown', close, true);
    screen.remove();
    // The text status screen is drawn again once the graph is gone.
    apiPost('/api/graphs/closed');
  };
  document.addEventListener('keydown', close, true);
  screen.addEventListener('click', close);
}
