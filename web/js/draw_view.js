'use strict';

// A landscape drawn on the plot: control points added by a click, moved by a drag or by the
// arrows, removed by a double click or Delete; 2 to 100 of them, x strictly increasing. The
// drawing is the landscape field's text, points:(X1,Y1),..., so that a link keeps it and
// sa_study --landscape runs it. The curve through the points is never drawn here: it is the
// libraries' own, asked of sa.landscape as the points move, one request at a time.
(function () {
  const { language, vocabulary } = window.saPage;
  const { maxPoints, drawnPrefix } = vocabulary.formulas;
  const seeded = 7;  // points sampled from a landscape that is not a drawing yet
  const grabPx = 10;  // how near a pointer must come to a point to take it
  const previewBits = 12;  // the grid of the curve shown while the points move

  // A number as a drawing writes it: rounded to `unit`, a decimal point, no exponent, no
  // trailing zeros.
  function written(value, unit) {
    const digits = Math.max(0, -Math.floor(Math.log10(unit)));
    const text = (Math.round(value / unit) * unit).toFixed(digits);
    const trimmed = text.includes('.') ? text.replace(/0+$/, '').replace(/\.$/, '') : text;
    return trimmed === '-0' ? '0' : trimmed;
  }
  // A power of ten about a thousandth of `span`: the finest step a drawing keeps.
  const unitOf = (span) => 10 ** Math.floor(Math.log10(span / 1000));

  // The points of a drawing's text, which the libraries have read already.
  function pointsOf(text) {
    const numbers = [...text.matchAll(/\(\s*(-?[\d.]+)\s*,\s*(-?[\d.]+)\s*\)/g)];
    return numbers.map(([, x, y]) => ({ x: Number(x), y: Number(y) }));
  }

  class DrawView {
    constructor({ plot, figure, toggle, hint, tools, add, list, input }) {
      Object.assign(this, { plot, figure, toggle, hint, tools, add, list, input });
      this.drawing = false;
      this.points = [];
      this.selected = -1;
      this.dragging = false;
      this.previewing = false;
      this.previewAgain = false;
      this.committed = null;
      toggle.hidden = false;
      toggle.addEventListener('click', () => (this.drawing ? this.stop() : this.start()));
      add.addEventListener('click', () => this.addInWidestGap());
      const canvas = plot.canvas;
      canvas.addEventListener('pointerdown', (event) => this.pointerDown(event));
      canvas.addEventListener('pointermove', (event) => this.pointerMove(event));
      canvas.addEventListener('pointerup', (event) => this.pointerUp(event));
      canvas.addEventListener('dblclick', (event) => this.doubleClick(event));
      // A landscape typed into the field ends the drawing.
      input.addEventListener('input', () => {
        if (this.drawing && input.value !== this.committed) {
          this.stop();
        }
      });
      language.onChange(() => this.showList());
    }

    start() {
      const shown = this.plot.landscape;
      if (!shown) {
        return;
      }
      this.area = { xMin: shown.xMin, xMax: shown.xMax };
      const text = this.input.value.trim();
      const drawn = text.startsWith(drawnPrefix);
      const points = drawn ? pointsOf(text) : this.sampled(shown);
      // A drawing's points keep their places: its step is finer than the gaps between them.
      const gaps = points.slice(1).map((p, i) => p.x - points[i].x);
      this.xUnit = Math.min(unitOf(shown.xMax - shown.xMin), drawn ? 10 ** Math.floor(Math.log10(Math.min(...gaps))) / 10 : 1);
      const range = this.plot.valueRange();
      const ys = points.map((p) => p.y);
      const low = Math.min(range.bottom, ...ys);
      const high = Math.max(range.top, ...ys);
      const pad = (high - low) * 0.25;
      this.plot.range = { bottom: low - pad, top: high + pad };
      this.yUnit = unitOf(high - low + 2 * pad);
      this.points = drawn ? points : points.map((p) => ({ x: Number(written(p.x, this.xUnit)), y: Number(written(p.y, this.yUnit)) }));
      this.drawing = true;
      this.selected = -1;
      this.plot.overlay = (context, scales) => this.drawPoints(context, scales);
      this.showMode();
      this.commit();
    }

    stop() {
      this.drawing = false;
      this.dragging = false;
      this.plot.range = null;
      this.plot.overlay = null;
      delete this.plot.canvas.dataset.points;
      this.showMode();
      this.plot.draw();
    }

    showMode() {
      this.toggle.setAttribute('aria-pressed', String(this.drawing));
      this.figure.classList.toggle('drawing', this.drawing);
      this.hint.hidden = !this.drawing;
      this.tools.hidden = !this.drawing;
      this.showList();
    }

    // `seeded` points across the interval, each at the middle of f's range in its column.
    sampled({ xMin, xMax, low, high }) {
      return Array.from({ length: seeded }, (_, i) => {
        const x = xMin + ((xMax - xMin) * i) / (seeded - 1);
        const column = Math.min(low.length - 1, Math.floor(((x - xMin) / (xMax - xMin)) * low.length));
        const y = (low[column] + high[column]) / 2;
        return { x, y: Number.isFinite(y) ? y : 0 };
      });
    }

    text() {
      return drawnPrefix + this.points.map((p) => `(${written(p.x, this.xUnit)},${written(p.y, this.yUnit)})`).join(',');
    }

    // The drawing into the field, as if typed, which checks it and redraws every view.
    commit() {
      const text = this.text();
      this.showList();
      this.plot.draw();
      if (text !== this.input.value) {
        this.committed = text;
        this.input.value = text;
        this.input.dispatchEvent(new Event('input', { bubbles: true }));
      }
    }

    // The libraries' curve through the points as they stand, on a coarse grid; one request at a
    // time, the latest points asked for once it is answered.
    async preview() {
      if (this.previewing) {
        this.previewAgain = true;
        return;
      }
      this.previewing = true;
      const text = this.text();
      try {
        const params = { landscape: text, xMin: this.area.xMin, xMax: this.area.xMax, bits: previewBits };
        const landscape = await window.sa.landscape(params, { columns: 500 });
        if (this.drawing && text === this.text()) {
          this.plot.setLandscape(landscape);
        }
      } catch {
        // A drawing the libraries refuse keeps the curve before it; the field says why.
      } finally {
        this.previewing = false;
        if (this.previewAgain) {
          this.previewAgain = false;
          this.preview();
        }
      }
    }

    // ---- The points

    // Point `i` moved to (x, y): x kept strictly between its neighbours' and in the interval.
    moveTo(i, x, y) {
      const before = this.points[i - 1];
      const after = this.points[i + 1];
      const lowest = before ? before.x + this.xUnit : this.area.xMin;
      const highest = after ? after.x - this.xUnit : this.area.xMax;
      const kept = Math.min(Math.max(x, lowest), highest);
      this.points[i] = { x: Number(written(kept, this.xUnit)), y: Number(written(y, this.yUnit)) };
      this.preview();
    }

    // A point at (x, y), where it fits between two others; its index, or -1.
    addAt(x, y) {
      const at = this.points.findIndex((p) => p.x > x);
      const index = at === -1 ? this.points.length : at;
      const rounded = Number(written(x, this.xUnit));
      const clash = [this.points[index - 1], this.points[index]].some((p) => p && Math.abs(p.x - rounded) < this.xUnit);
      if (this.points.length >= maxPoints || clash || rounded < this.area.xMin || rounded > this.area.xMax) {
        return -1;
      }
      this.points.splice(index, 0, { x: rounded, y: Number(written(y, this.yUnit)) });
      this.selected = index;
      this.preview();
      return index;
    }

    // A point halfway across the widest gap, on the line between its ends.
    addInWidestGap() {
      let widest = 0;
      for (let i = 1; i < this.points.length - 1; ++i) {
        if (this.points[i + 1].x - this.points[i].x > this.points[widest + 1].x - this.points[widest].x) {
          widest = i;
        }
      }
      this.addAfter(widest);
    }

    addAfter(i) {
      const [left, right] = i + 1 < this.points.length ? [this.points[i], this.points[i + 1]] : [this.points[i - 1], this.points[i]];
      if (this.addAt((left.x + right.x) / 2, (left.y + right.y) / 2) >= 0) {
        this.commit();
        this.focusSelected();
      }
    }

    remove(i) {
      if (this.points.length <= 2) {
        return;
      }
      this.points.splice(i, 1);
      this.selected = Math.min(i, this.points.length - 1);
      this.preview();
      this.commit();
    }

    // ---- The pointer

    scales() {
      return this.plot.scales({ width: this.plot.canvas.clientWidth, height: this.plot.canvas.clientHeight });
    }

    // The point under the pointer, or -1.
    pointAt(event, s) {
      let nearest = -1;
      let distance = grabPx;
      this.points.forEach((p, i) => {
        const away = Math.hypot(s.px(p.x) - event.offsetX, s.py(p.y) - event.offsetY);
        if (away <= distance) {
          nearest = i;
          distance = away;
        }
      });
      return nearest;
    }

    pointerDown(event) {
      if (!this.drawing || event.button !== 0) {
        return;
      }
      const s = this.scales();
      const taken = this.pointAt(event, s);
      this.selected = taken >= 0 ? taken : this.addAt(s.xAt(event.offsetX), s.fAt(event.offsetY));
      if (this.selected >= 0) {
        this.dragging = true;
        this.plot.canvas.setPointerCapture?.(event.pointerId);
      }
      this.showList();
      this.plot.draw();
      event.preventDefault();
    }

    pointerMove(event) {
      if (!this.dragging) {
        return;
      }
      const s = this.scales();
      this.moveTo(this.selected, s.xAt(event.offsetX), s.fAt(event.offsetY));
      this.plot.draw();
    }

    pointerUp() {
      if (this.dragging) {
        this.dragging = false;
        this.commit();
      }
    }

    doubleClick(event) {
      const taken = this.drawing ? this.pointAt(event, this.scales()) : -1;
      if (taken >= 0) {
        this.remove(taken);
      }
    }

    // ---- The keyboard: each point a button, its arrows moving it

    key(i, event) {
      const step = event.shiftKey ? 100 : 10;
      const p = this.points[i];
      const moves = {
        ArrowLeft: [-step * this.xUnit, 0], ArrowRight: [step * this.xUnit, 0],
        ArrowUp: [0, step * this.yUnit], ArrowDown: [0, -step * this.yUnit],
      };
      this.selected = i;
      if (moves[event.key]) {
        const [dx, dy] = moves[event.key];
        this.moveTo(i, p.x + dx, p.y + dy);
        this.commit();
      } else if (event.key === 'Delete' || event.key === 'Backspace') {
        this.remove(i);
      } else if (event.key === 'Insert' || event.key === '+') {
        this.addAfter(i);
        return true;
      } else {
        return false;
      }
      this.focusSelected();
      return true;
    }

    focusSelected() {
      this.list.querySelectorAll('button')[this.selected]?.focus();
    }

    showList() {
      if (!this.drawing) {
        this.list.replaceChildren();
        return;
      }
      const { t, format } = language;
      const count = this.points.length;
      const hadFocus = this.list.contains(document.activeElement);
      this.list.replaceChildren(...this.points.map((p, i) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = String(i + 1);
        button.setAttribute('aria-label', t('drawPoint', i + 1, count, format.plain(p.x), format.plain(p.y)));
        button.setAttribute('aria-current', String(i === this.selected));
        button.addEventListener('click', () => {
          this.selected = i;
          this.showList();
          this.plot.draw();
        });
        button.addEventListener('keydown', (event) => {
          if (this.key(i, event)) {
            event.preventDefault();
          }
        });
        item.append(button);
        return item;
      }));
      this.add.disabled = count >= maxPoints;
      if (hadFocus) {
        this.focusSelected();
      }
    }

    drawPoints(c, s) {
      // Where each point stands on the canvas, in CSS pixels, for scripts that work the plot.
      this.plot.canvas.dataset.points = JSON.stringify(this.points.map((p) => ({ ...p, px: s.px(p.x), py: s.py(p.y) })));
      this.points.forEach((p, i) => {
        c.beginPath();
        c.arc(s.px(p.x), s.py(p.y), i === this.selected ? 7 : 5, 0, 2 * Math.PI);
        c.fillStyle = i === this.selected ? '#b45309' : '#ffffff';
        c.fill();
        c.lineWidth = 2;
        c.strokeStyle = '#b45309';
        c.stroke();
      });
    }
  }

  window.saPage.DrawView = DrawView;
})();
