// A dialog is an in-page window beside the panel: a title bar with its
// caption and a close button, moved by its title bar, over a body that
// holds the dialog's widgets.

// The frame of a dialog at its first place: the one its form records, else
// one that steps with the number of forms the element already shows. zIndex
// stacks it above the other dialogs; onClose runs when the user clicks the
// close button.
export function createDialogFrame(form, formsShown, zIndex, onClose) {
  const node = document.createElement('div');
  node.className = 'zemra-dialog';
  node.dataset.dialog = form.name;
  node.setAttribute('role', 'dialog');
  node.tabIndex = -1;
  const title = document.createElement('div');
  title.className = 'zemra-dialog-title';
  const caption = document.createElement('span');
  caption.className = 'zemra-dialog-caption';
  const close = document.createElement('button');
  close.type = 'button';
  close.className = 'zemra-dialog-close';
  close.title = 'Close';
  close.textContent = '\u00d7';
  close.addEventListener('click', (e) => { e.preventDefault(); onClose(); });
  title.append(caption, close);
  makeDraggable(node, title);
  const body = document.createElement('div');
  body.className = 'zemra-dialog-body';
  node.append(title, body);
  const place = form.place || [200 + 24 * (formsShown % 5), 40 + 24 * (formsShown % 5)];
  node.style.left = `${place[0]}px`;
  node.style.top = `${place[1]}px`;
  node.style.zIndex = String(zIndex);
  return { node, body, caption };
}

function makeDraggable(dialog, handle) {
  handle.addEventListener('mousedown', (e) => {
    if (e.button !== 0 || e.target.closest('.zemra-dialog-close')) return;
    e.preventDefault();
    const startX = e.clientX, startY = e.clientY;
    const left = dialog.offsetLeft, top = dialog.offsetTop;
    const move = (m) => {
      dialog.style.left = `${Math.max(0, left + m.clientX - startX)}px`;
      dialog.style.top = `${Math.max(0, top + m.clientY - startY)}px`;
    };
    const up = () => { window.removeEventListener('mousemove', move); window.removeEventListener('mouseup', up); };
    window.addEventListener('mousemove', move);
    window.addEventListener('mouseup', up);
  });
}
