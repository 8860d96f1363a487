'use strict';

// A plot of f over the landscape's interval, drawn from its grid (the least and greatest f in
// each column), each axis in round steps, with the grid's two highest hills marked (a coarse grid may have one). A view draws its own marks on top
// through `overlay`, and calls draw() whenever they change.
(function () {
  const colors = {
    axis: '#4b5563',
    text: '#1f2937',
    curve: '#1e3a8a',
    globalHill: 'rgba(22, 101, 52, 0.10)',
    secondHill: 'rgba(71, 85, 105, 0.12)',
    peakMark: '#166534',
    secondMark: '#475569',
  };
  const margin = { left: 52, right: 12, top: 26, bottom: 30 };

  // A round step for ticks over `span`: 1, 2 or 5 times a power of ten, about `count` of them.
  function tickStep(span, count) {
    const rough = span / count;
    const power = 10 ** Math.floor(Math.log10(rough));
    return [1, 2, 5, 10].map((m) => m * power).find((step) => step >= rough);
  }
  // The ticks of `step` from `low` to `high`, each rounded to the step's digits.
  function ticks(low, high, step) {
    const digits = Math.max(0, -Math.floor(Math.log10(step)));
    const shown = [];
    for (let k = Math.ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k) {
      shown.push(Number((k * step).toFixed(digits)));
    }
    return { shown, digits };
  }

  // A canvas at the size the page gives it, in device pixels; its size in CSS pixels.
  function fitCanvas(canvas, context) {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
    }
    context.setTransform(ratio, 0, 0, ratio, 0, 0);
    return { width: canvas.clientWidth, height: canvas.clientHeight };
  }

  class Plot {
    // `rightMargin`: room on the right, for an axis of a view's own marks.
    constructor(canvas, { rightMargin = margin.right } = {}) {
      this.canvas = canvas;
      this.rightMargin = rightMargin;
      this.context = canvas.getContext('2d');
      this.landscape = null;
      this.notice = '';
      this.overlay = null;
      this.underlay = null;
      this.range = null;
      new ResizeObserver(() => this.draw()).observe(canvas);
      // The hills' labels and the axes' numbers are in the page's language.
      window.saPage.language.onChange(() => this.draw());
    }

    setLandscape(landscape) {
      this.landscape = landscape;
      this.notice = '';
      this.canvas.dataset.bits = landscape.bits;
      this.canvas.dataset.landscape = landscape.landscape;
      this.draw();
    }

    // A line in place of the curve, while the grid is being tabulated.
    setNotice(text) {
      this.landscape = null;
      delete this.canvas.dataset.bits;
      delete this.canvas.dataset.landscape;
      this.notice = text;
      this.draw();
    }

    // The range of f shown: the landscape's, widened to round figures, or one a view holds fixed
    // (`range`, {bottom, top}) while it draws on the plot.
    valueRange() {
      if (this.range) {
        return this.range;
      }
      const { low, high } = this.landscape;
      const finite = (values) => values.filter(Number.isFinite);
      const least = Math.min(...finite(low));
      const greatest = Math.max(...finite(high));
      // A flat landscape still has a height to draw in.
      const span = greatest - least || Math.max(1, Math.abs(least));
      const step = tickStep(span, 4) / 2;
      const bottom = Math.floor(least / step) * step;
      // Room above the highest peak for its mark and label.
      const top = Math.ceil((greatest + span / 10) / step) * step;
      return top > bottom ? { bottom, top } : { bottom: bottom - step, top: top + step };
    }

    scales(size) {
      const { bottom, top } = this.valueRange();
      const { xMin, xMax } = this.landscape;
      const left = margin.left;
      const right = size.width - this.rightMargin;
      const upper = margin.top;
      const lower = size.height - margin.bottom;
      return {
        left, right, upper, lower, bottom, top,
        xMin, xMax,
        px: (x) => left + ((x - xMin) / (xMax - xMin)) * (right - left),
        py: (f) => lower - ((f - bottom) / (top - bottom)) * (lower - upper),
        // The inverses, for a pointer on the plot.
        xAt: (px) => xMin + ((px - left) / (right - left)) * (xMax - xMin),
        fAt: (py) => bottom + ((lower - py) / (lower - upper)) * (top - bottom),
      };
    }

    draw() {
      const size = fitCanvas(this.canvas, this.context);
      const c = this.context;
      c.clearRect(0, 0, size.width, size.height);
      c.font = '12px system-ui, sans-serif';
      if (!this.landscape) {
        c.fillStyle = colors.text;
        c.fillText(this.notice, margin.left, size.height / 2);
        return;
      }
      const s = this.scales(size);
      if (this.underlay) {
        this.underlay(c, s);
      }
      // A grid of 2 or 3 bits has no second peak. Each label leans away from the other hill, so
      // that the two never overlap.
      const { globalPeak, secondPeak } = this.landscape;
      const { t } = window.saPage.language;
      const leftOf = (hill, other) => !other || hill.x <= other.x;
      if (secondPeak) {
        this.drawHill(s, secondPeak, colors.secondHill, colors.secondMark, t('chartShareSecond'), leftOf(secondPeak, globalPeak));
      }
      this.drawHill(s, globalPeak, colors.globalHill, colors.peakMark, t('chartShareGlobal'), leftOf(globalPeak, secondPeak));
      this.drawAxes(s);
      this.drawCurve(s);
      if (this.overlay) {
        this.overlay(c, s);
      }
    }

    drawAxes(s) {
      const c = this.context;
      c.strokeStyle = colors.axis;
      c.fillStyle = colors.text;
      c.lineWidth = 1;
      c.beginPath();
      c.moveTo(s.left, s.upper);
      c.lineTo(s.left, s.lower);
      c.lineTo(s.right, s.lower);
      c.stroke();
      c.textAlign = 'center';
      c.textBaseline = 'top';
      const { fixed } = window.saPage.language.format;
      const across = ticks(s.xMin, s.xMax, tickStep(s.xMax - s.xMin, Math.max(2, Math.floor((s.right - s.left) / 80))));
      for (const x of across.shown) {
        c.fillText(fixed(x, across.digits), s.px(x), s.lower + 6);
      }
      c.textAlign = 'right';
      c.textBaseline = 'middle';
      const up = ticks(s.bottom, s.top, tickStep(s.top - s.bottom, Math.max(2, Math.floor((s.lower - s.upper) / 40))));
      for (const f of up.shown) {
        c.fillText(fixed(f, Math.max(1, up.digits)), s.left - 6, s.py(f));
      }
      c.textAlign = 'left';
      c.textBaseline = 'alphabetic';
      c.fillText('f(x)', 4, 14);
      c.textAlign = 'right';
      c.fillText('x', s.right, s.lower + 26);
      c.textAlign = 'left';
    }

    // The envelope of f: each column's greatest value left to right, its least back.
    drawCurve(s) {
      const { low, high } = this.landscape;
      const c = this.context;
      const width = (s.xMax - s.xMin) / low.length;
      const columnX = (i) => s.px(s.xMin + (i + 0.5) * width);
      c.strokeStyle = colors.curve;
      c.lineWidth = 1.5;
      c.lineJoin = 'round';
      for (const [values, order] of [[high, 1], [low, -1]]) {
        c.beginPath();
        let drawing = false;
        for (let k = 0; k < values.length; ++k) {
          const i = order > 0 ? k : values.length - 1 - k;
          if (!Number.isFinite(values[i])) {
            continue;
          }
          if (drawing) {
            c.lineTo(columnX(i), s.py(values[i]));
          } else {
            c.moveTo(columnX(i), s.py(values[i]));
            drawing = true;
          }
        }
        c.stroke();
      }
    }

    drawHill(s, hill, shade, mark, label, labelLeft) {
      const c = this.context;
      c.fillStyle = shade;
      c.fillRect(s.px(hill.fromX), s.upper, Math.max(1, s.px(hill.toX) - s.px(hill.fromX)), s.lower - s.upper);
      const x = s.px(hill.x);
      const y = s.py(hill.value) - 8;
      c.fillStyle = mark;
      c.beginPath();
      c.moveTo(x - 5, y - 7);
      c.lineTo(x + 5, y - 7);
      c.lineTo(x, y);
      c.closePath();
      c.fill();
      const width = c.measureText(label).width;
      const start = labelLeft ? x + 4 - width : x - 4;
      c.fillText(label, Math.min(Math.max(start, 2), s.right - width), y - 11);
    }
  }

  window.saPage = window.saPage || {};
  window.saPage.Plot = Plot;
  window.saPage.fitCanvas = fitCanvas;
})();
