// The statistics list (dialog 5000): the day's heating cycles, or the steps of
// the current pre-heat or temperature drop, as the program builds every cell.
// "Graph" draws the curve of the steps; it does nothing for the cycles.
import { apiGet } from './api.js';
import { showRefusal } from './boxes.js';
import { closeRow, openDialog } from './dialog.js';
import { showGraph } from './step_graph.js';
import { dialogId, statListId } from './ids.js';

// The list dialog's width in pixels before its width change.
const kDialogWidth = 740;

function cell(tag, text, column) {
  const element = document.createElement(tag);
  element.textContent = text;
  element.className = column.align === 'left' ? 'align-left' : 'align-right';
  return element;
}

function buildTable(list) {
  const table = document.createElement('table');
  table.className = 'stat-list';
  table.dataset.control = String(statListId.table);
  const head = document.createElement('tr');
  for (const column of list.columns) {
    const title = cell('th', column.title, column);
    title.style.width = `${column.width}px`;
    title.style.minWidth = `${column.width}px`;
    head.append(title);
  }
  const thead = document.createElement('thead');
  thead.append(head);
  const tbody = document.createElement('tbody');
  for (const row of list.rows) {
    const line = document.createElement('tr');
    row.forEach((text, index) => line.append(cell('td', text, list.columns[index])));
    tbody.append(line);
  }
  table.append(thead, tbody);
  // The columns keep at least the widths the program gives them, padding
  // included, and widen for a cell that would not fit (a rule of "=").
  table.style.minWidth = `${list.columns.reduce((sum, column) => sum + column.width, 0)}px`;
  return table;
}

export async function openList(kind) {
  const reply = await apiGet(`/api/lists/${kind}`);
  if (!reply.ok) {
    showRefusal(reply);
    return;
  }
  const list = reply.body;
  const { element } = openDialog({
    id: dialogId.statList,
    caption: list.title,
    build(body, close) {
      const view = document.createElement('div');
      view.className = 'stat-list-view';
      // Wider or longer than its frame: scrolled with the arrow keys too.
      view.tabIndex = 0;
      view.setAttribute('role', 'region');
      view.setAttribute('aria-label', `List: ${list.title}`);
      view.append(buildTable(list));
      const graph = document.createElement('button');
      graph.type = 'button';
      graph.textContent = 'Graph';
      graph.dataset.control = String(statListId.graph);
      graph.disabled = !list.graph;
      graph.addEventListener('click', () => showGraph('list'));
      const buttons = closeRow(close, graph);
      body.append(view, buttons);
    },
  });
  element.classList.add('stat-list-dialog');
  element.style.width = `${kDialogWidth + list.widthChange}px`;
}
