'use strict';

// Line charts on a canvas: panels stacked over one x axis, each with its own y scale, linear
// or logarithmic, and its lines labelled in a legend. A view hands the whole picture to show()
// and calls it again whenever its data grow; the chart redraws itself when resized.
(function () {
  const palette = ['#1d4ed8', '#c2410c', '#15803d', '#7e22ce', '#b91c1c', '#0f766e', '#a16207', '#be185d'];
  // The cursor is a wide pale band, never mistaken for a dashed series or its key.
  const colors = { axis: '#4b5563', text: '#1f2937', grid: '#e5e7eb', mark: '#111827', cursor: 'rgba(180, 83, 9, 0.35)' };
  const margin = { left: 64, right: 14, top: 8, bottom: 34 };
  const panelGap = 22;

  // Round ticks between low and high: 1, 2 or 5 times a power of ten apart.
  function linearTicks(low, high, count) {
    const raw = (high - low) / Math.max(1, count);
    const power = 10 ** Math.floor(Math.log10(raw));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw) ?? 10 * power;
    const ticks = [];
    for (let v = Math.ceil(low / step) * step; v <= high + step * 1e-9; v += step) {
      ticks.push(Math.abs(v) < step * 1e-9 ? 0 : v);
    }
    return ticks;
  }

  // Powers of ten between low and high, thinned to about `count`; with 2 and 5 times them when
  // the range holds fewer than two powers.
  function logTicks(low, high, count) {
    const first = Math.floor(Math.log10(low));
    const last = Math.ceil(Math.log10(high));
    const within = (v) => v >= low * (1 - 1e-9) && v <= high * (1 + 1e-9);
    const powers = [];
    for (let k = first; k <= last; ++k) {
      powers.push(10 ** k);
    }
    if (powers.filter(within).length < 2) {
      return powers.flatMap((p) => [p, 2 * p, 5 * p]).filter(within);
    }
    const every = Math.max(1, Math.ceil(powers.filter(within).length / Math.max(1, count)));
    return powers.filter(within).filter((_, i) => i % every === 0);
  }

  // An axis: a function from value to pixel between `from` and `to`, and its ticks.
  function axis({ scale = 'linear', min, max }, from, to, tickCount) {
    const log = scale === 'log';
    const span = log ? [Math.log10(min), Math.log10(max)] : [min, max];
    const wide = span[1] > span[0] ? span : [span[0] - 1, span[0] + 1];
    const at = (v) => from + (((log ? Math.log10(v) : v) - wide[0]) / (wide[1] - wide[0])) * (to - from);
    const bounds = log ? [10 ** wide[0], 10 ** wide[1]] : wide;
    return { at, log, ticks: (log ? logTicks : linearTicks)(bounds[0], bounds[1], tickCount) };
  }

  // A tick's label: on a log scale from a thousand up and below a hundredth as 10⁴ or 2·10⁵,
  // every such tick alike; others as the language writes them.
  function tickLabel(value, log, format) {
    if (log && (value >= 1e3 || value < 1e-2)) {
      const power = Math.floor(Math.log10(value) + 1e-9);
      return format.powersOfTen(`${Math.round(value / 10 ** power)}e${power}`);
    }
    if (Math.abs(value) >= 1000) {
      return format.whole(value);
    }
    return format.plain(Number(value.toPrecision(6)));
  }

  // The range of the values a panel draws, when the view does not fix it, with a little room
  // above and below so that no point sits on the frame.
  function extent(panel, log) {
    const values = panel.series.flatMap((s) => s.points.map((p) => p[1]))
      .filter((v) => Number.isFinite(v) && (!log || v > 0));
    let min = panel.min ?? (values.length ? Math.min(...values) : 0);
    let max = panel.max ?? (values.length ? Math.max(...values) : 1);
    if (max <= min) {
      max = min + (log ? min : 1);
    }
    const room = log ? (max / min) ** 0.06 : (max - min) * 0.06;
    if (panel.min === undefined) {
      min = log ? min / room : min - room;
    }
    if (panel.max === undefined) {
      max = log ? max * room : max + room;
    }
    return { min, max };
  }

  class Chart {
    constructor(canvas) {
      this.canvas = canvas;
      this.context = canvas.getContext('2d');
      this.picture = null;
      this.hint = '';
      this.dots = [];  // where the dots of the picture were drawn, with what their points carry
      new ResizeObserver(() => this.draw()).observe(canvas);
    }

    // picture: {x: {label, scale, min, max}, panels: [{label, scale, min, max, percent,
    // series: [{label, color, dash, dots, line, points: [[x, y], ...]}], marks: [{x, y, label, color}]}],
    // cursor}
    show(picture) {
      this.picture = picture;
      this.draw();
    }

    draw() {
      const size = window.saPage.fitCanvas(this.canvas, this.context);
      const c = this.context;
      c.clearRect(0, 0, size.width, size.height);
      this.dots = [];
      if (!this.picture) {
        // A line saying what would draw the chart.
        c.font = '14px system-ui, sans-serif';
        c.fillStyle = colors.text;
        c.textAlign = 'center';
        c.textBaseline = 'middle';
        c.fillText(this.hint, size.width / 2, size.height / 2, size.width - 16);
        return;
      }
      if (size.width < margin.left + margin.right + 20) {
        return;
      }
      const { x, panels } = this.picture;
      c.font = '12px system-ui, sans-serif';
      const left = margin.left;
      const right = size.width - margin.right;
      const xAxis = axis(x, left, right, Math.max(2, Math.floor((right - left) / 90)));
      const height = (size.height - margin.top - margin.bottom - panelGap * (panels.length - 1)) / panels.length;
      panels.forEach((panel, i) => {
        const top = margin.top + i * (height + panelGap);
        this.drawPanel(panel, xAxis, { left, right, top, bottom: top + height }, i === panels.length - 1);
      });
      c.fillStyle = colors.text;
      c.textAlign = 'right';
      c.textBaseline = 'alphabetic';
      c.fillText(x.label, right, size.height - 2);
    }

    drawPanel(panel, xAxis, box, lowest) {
      const c = this.context;
      const { format } = window.saPage.language;
      const log = panel.scale === 'log';
      const yAxis = axis({ scale: panel.scale, ...extent(panel, log) }, box.bottom, box.top + 16,
        Math.max(2, Math.floor((box.bottom - box.top) / 40)));
      c.lineWidth = 1;
      c.textBaseline = 'middle';
      c.textAlign = 'right';
      for (const tick of yAxis.ticks) {
        const y = yAxis.at(tick);
        c.strokeStyle = colors.grid;
        c.beginPath();
        c.moveTo(box.left, y);
        c.lineTo(box.right, y);
        c.stroke();
        c.fillStyle = colors.text;
        c.fillText(panel.percent ? `${format.plain(Math.round(tick * 100))} %` : tickLabel(tick, log, format),
          box.left - 6, y);
      }
      c.strokeStyle = colors.axis;
      c.beginPath();
      c.moveTo(box.left, box.top);
      c.lineTo(box.left, box.bottom);
      c.lineTo(box.right, box.bottom);
      c.stroke();
      if (lowest) {
        c.textAlign = 'center';
        c.textBaseline = 'top';
        c.fillStyle = colors.text;
        for (const tick of xAxis.ticks) {
          c.fillText(tickLabel(tick, xAxis.log, format), xAxis.at(tick), box.bottom + 5);
        }
      }
      c.save();
      c.beginPath();
      c.rect(box.left, box.top, box.right - box.left, box.bottom - box.top);
      c.clip();
      panel.series.forEach((series, i) => this.drawSeries(series, series.color ?? palette[i % palette.length],
        xAxis, yAxis, box));
      if (this.picture.cursor !== undefined) {
        c.strokeStyle = colors.cursor;
        c.lineWidth = 5;
        c.beginPath();
        c.moveTo(xAxis.at(this.picture.cursor), box.top);
        c.lineTo(xAxis.at(this.picture.cursor), box.bottom);
        c.stroke();
        c.lineWidth = 1;
      }
      c.restore();
      for (const mark of panel.marks ?? []) {
        this.drawMark(mark, xAxis, yAxis, box);
      }
      this.drawLegend(panel, box);
    }

    // A line through the points in order, thinned to about two points a pixel.
    drawSeries(series, color, xAxis, yAxis, box) {
      const c = this.context;
      const points = series.points.filter(([px, py]) => Number.isFinite(px) && Number.isFinite(py) &&
        (!yAxis.log || py > 0) && (!xAxis.log || px > 0));
      const every = Math.max(1, Math.floor(points.length / (2 * (box.right - box.left))));
      c.strokeStyle = color;
      c.fillStyle = color;
      c.lineWidth = series.width ?? 1.8;
      c.setLineDash(series.dash ?? []);
      c.beginPath();
      // A series of dots alone (line: false) joins none of its points.
      (series.line === false ? [] : points).forEach(([px, py], i) => {
        if (i % every === 0 || i === points.length - 1) {
          const [sx, sy] = [xAxis.at(px), yAxis.at(py)];
          if (i === 0) {
            c.moveTo(sx, sy);
          } else {
            c.lineTo(sx, sy);
          }
        }
      });
      c.stroke();
      c.setLineDash([]);
      if (series.dots) {
        for (const [px, py, carried] of points) {
          c.beginPath();
          c.arc(xAxis.at(px), yAxis.at(py), 2.5, 0, 2 * Math.PI);
          c.fill();
          this.dots.push({ x: xAxis.at(px), y: yAxis.at(py), carried });
        }
      }
    }

    // What the dot nearest to (x, y), in the canvas's pixels, carries; undefined if none is
    // within `reach`.
    dotNear(x, y, reach = 8) {
      const distance = (dot) => Math.hypot(dot.x - x, dot.y - y);
      const nearest = this.dots.reduce((best, dot) => (best && distance(best) <= distance(dot) ? best : dot), null);
      return nearest && distance(nearest) <= reach ? nearest.carried : undefined;
    }

    drawMark({ x, y, label, color }, xAxis, yAxis, box) {
      const c = this.context;
      const [sx, sy] = [xAxis.at(x), yAxis.at(y)];
      c.strokeStyle = color ?? colors.mark;
      c.lineWidth = 2;
      c.beginPath();
      c.arc(sx, sy, 7, 0, 2 * Math.PI);
      c.stroke();
      c.fillStyle = colors.text;
      c.textBaseline = 'bottom';
      const width = c.measureText(label).width;
      c.textAlign = 'left';
      c.fillText(label, Math.min(Math.max(box.left + 2, sx - width / 2), box.right - width), sy - 9);
    }

    drawLegend(panel, box) {
      const c = this.context;
      c.textBaseline = 'middle';
      c.textAlign = 'left';
      c.fillStyle = colors.text;
      c.font = '600 12px system-ui, sans-serif';
      c.fillText(panel.label, box.left + 6, box.top + 7);
      let at = box.left + 14 + c.measureText(panel.label).width;
      c.font = '12px system-ui, sans-serif';
      panel.series.forEach((series, i) => {
        if (!series.label) {
          return;
        }
        const width = c.measureText(series.label).width;
        if (at + 26 + width > box.right) {
          return;
        }
        c.strokeStyle = series.color ?? palette[i % palette.length];
        c.lineWidth = 2;
        c.setLineDash(series.dash ?? []);
        c.beginPath();
        c.moveTo(at, box.top + 7);
        c.lineTo(at + 18, box.top + 7);
        c.stroke();
        c.setLineDash([]);
        c.fillStyle = colors.text;
        c.fillText(series.label, at + 22, box.top + 7);
        at += 34 + width;
      });
    }
  }

  window.saPage.Chart = Chart;
  window.saPage.palette = palette;
})();
