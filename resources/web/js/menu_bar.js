// The menu bar, by mouse and by keyboard as a desktop menu works: Alt and an
// underlined letter open a menu, the arrows move through it and into its
// submenus, a letter chooses the item it underlines, Escape backs out.

const titles = () => [...document.querySelectorAll('.menu-title')];

// The items a menu shows one under the other: its buttons and submenu titles.
function itemsOf(menu) {
  return [...menu.children]
    .map((child) => (child.classList.contains('submenu') ? child.querySelector('.submenu-title') : child))
    .filter((item) => item instanceof HTMLButtonElement && !item.disabled);
}

function letterOf(item) {
  return item.querySelector('u')?.textContent.toLowerCase() ?? '';
}

function setOpen(holder, open) {
  holder.classList.toggle('open', open);
  holder.querySelector(':scope > .menu-title, :scope > .submenu-title').setAttribute('aria-expanded', String(open));
  if (!open) for (const inner of holder.querySelectorAll('.submenu.open')) setOpen(inner, false);
}

export function closeMenus() {
  for (const holder of document.querySelectorAll('.menu.open, .submenu.open')) setOpen(holder, false);
}

// Opens a top menu (closing the others) and, from the keyboard, focuses its first item.
function openMenu(title, focusFirst) {
  closeMenus();
  setOpen(title.parentElement, true);
  if (focusFirst) itemsOf(title.nextElementSibling)[0]?.focus();
  else title.focus();
}

function openSubmenu(title) {
  const holder = title.parentElement;
  for (const sibling of holder.parentElement.querySelectorAll(':scope > .submenu.open')) setOpen(sibling, false);
  setOpen(holder, true);
  itemsOf(title.nextElementSibling)[0]?.focus();
}

// The next top menu to the left (-1) or right (+1) of the open one.
function moveAcross(from, step) {
  const all = titles();
  const at = all.indexOf(from.closest('.menu').querySelector('.menu-title'));
  openMenu(all[(at + step + all.length) % all.length], true);
}

function activate(item) {
  if (item.classList.contains('submenu-title')) openSubmenu(item);
  else item.click();
}

// A key pressed on an item of an open menu; true when the key was used.
function menuKey(event, item) {
  const menu = item.closest('.menu-items');
  const items = itemsOf(menu);
  const at = items.indexOf(item);
  const inSubmenu = menu.parentElement.classList.contains('submenu');
  switch (event.key) {
    case 'ArrowDown':
    case 'ArrowUp':
      items[(at + (event.key === 'ArrowDown' ? 1 : items.length - 1)) % items.length]?.focus();
      return true;
    case 'ArrowRight':
      if (item.classList.contains('submenu-title')) openSubmenu(item);
      else moveAcross(item, 1);
      return true;
    case 'ArrowLeft':
    case 'Escape':
      if (inSubmenu) {
        setOpen(menu.parentElement, false);
        menu.parentElement.querySelector('.submenu-title').focus();
      } else if (event.key === 'ArrowLeft') {
        moveAcross(item, -1);
      } else {
        const title = menu.parentElement.querySelector('.menu-title');
        closeMenus();
        title.focus();
      }
      return true;
    default: {
      if (event.altKey || event.ctrlKey || event.metaKey || event.key.length !== 1) return false;
      const chosen = items.find((candidate) => letterOf(candidate) === event.key.toLowerCase());
      if (chosen) activate(chosen);
      return Boolean(chosen);
    }
  }
}

function titleKey(event, title) {
  if (event.key === 'ArrowDown' || event.key === 'Enter' || event.key === ' ') {
    openMenu(title, true);
    return true;
  }
  if (event.key === 'ArrowRight' || event.key === 'ArrowLeft') {
    const all = titles();
    const next = all[(all.indexOf(title) + (event.key === 'ArrowRight' ? 1 : all.length - 1)) % all.length];
    if (title.parentElement.classList.contains('open')) openMenu(next, true);
    else next.focus();
    return true;
  }
  return false;
}

// Alt and a letter: the top menu whose title underlines it.
function altKey(event) {
  if (!event.altKey || event.ctrlKey || event.metaKey) return false;
  const letter = /^Key([A-Z])$/.exec(event.code)?.[1].toLowerCase() ?? event.key.toLowerCase();
  const title = titles().find((candidate) => letterOf(candidate) === letter);
  if (!title || !document.getElementById('dialog-layer').hidden || !document.getElementById('box-layer').hidden) {
    return false;
  }
  openMenu(title, true);
  return true;
}

export function wireMenuKeys() {
  for (const title of titles()) {
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      if (title.parentElement.classList.contains('open')) closeMenus();
      else openMenu(title, event.detail === 0);
    });
  }
  for (const title of document.querySelectorAll('.submenu-title')) {
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      openSubmenu(title);
    });
  }
  document.addEventListener('click', (event) => {
    if (!event.target.closest('.menubar')) closeMenus();
  });
  document.addEventListener('keydown', (event) => {
    const target = event.target instanceof Element ? event.target : null;
    const item = target?.closest('.menu-items button');
    const title = target?.closest('.menu-title');
    const used = altKey(event) || (item ? menuKey(event, item) : false) || (title ? titleKey(event, title) : false);
    if (used) event.preventDefault();
    else if (event.key === 'Escape') closeMenus();
  });
}
