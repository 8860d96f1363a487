'use strict';

// The animated run: the current point, the candidate and the best so far on the landscape,
// what decided each trial, and a line per level. The run is the library's, stepped a trial at
// a time (saPage.core.newRun); the view only counts frames and draws. Stepping happens in
// animation frames, a few milliseconds at a time, so the page never blocks.
(function () {
  const speeds = [1, 3, 10, 30, 100, 300, 1000];  // trials per second
  const trailLength = 40;
  const frameBudget = 10;  // milliseconds of stepping in a frame
  const shownLevels = 500;  // rows kept in the table; the CSV keeps them all
  const colors = {
    current: '#c2410c',
    trail: '194, 65, 12',
    accepted: '#15803d',
    rejected: '#b91c1c',
    best: '#a16207',
  };

  const signed = (value, digits) => (value > 0 ? '+' : value < 0 ? '−' : '') + Math.abs(value).toPrecision(digits);
  const fixed = (value) => value.toFixed(6).replace('-', '−');
  const count = (value) => value.toLocaleString('en');

  class RunView {
    constructor({ plot, controls, speed, speedValue, live, status, table, details, csv }) {
      this.plot = plot;
      this.controls = controls;
      this.speed = speed;
      this.speedValue = speedValue;
      this.live = live;
      this.status = status;
      this.table = table;
      this.details = details;
      this.csv = csv;
      this.run = null;
      this.mode = 'idle';  // or 'play', 'level', 'end'
      this.frame = null;
      this.owed = 0;  // trials that play owes to the next frame
      plot.overlay = (context, scales) => this.drawMarks(context, scales);
      controls.play.addEventListener('click', () => this.setMode(this.mode === 'play' ? 'idle' : 'play'));
      controls.trial.addEventListener('click', () => this.stepOnce());
      controls.level.addEventListener('click', () => this.setMode('level'));
      controls.end.addEventListener('click', () => this.setMode('end'));
      controls.restart.addEventListener('click', () => this.load(this.checked));
      speed.addEventListener('input', () => this.showSpeed());
      details.addEventListener('toggle', () => this.showCsv());
      this.showSpeed();
    }

    // A new run of a schedule that sa.check accepted.
    async load(checked) {
      this.setMode('idle');
      const run = await window.saPage.core.newRun(checked);
      if (this.run) {
        this.run.delete();
      }
      this.run = run;
      this.checked = checked;
      this.heading = await window.saPage.core.traceHeading();
      const start = run.start();
      this.point = { x: start.x, f: start.f };
      this.best = { x: start.x, f: start.f };
      this.last = null;
      this.trail = [];
      this.rows = [];
      this.table.tBodies[0].replaceChildren();
      this.clearReadout();
      this.status.textContent = `Seed ${checked.seed}: the run starts at x = ${fixed(start.x)}, ` +
        `where f = ${fixed(start.value)}.`;
      this.showCsv();
      this.updateButtons();
      this.plot.draw();
    }

    showSpeed() {
      this.speedValue.textContent = `${speeds[this.speed.value]} trials/s`;
    }

    setMode(mode) {
      this.mode = this.run && !this.run.finished() ? mode : 'idle';
      this.controls.play.textContent = this.mode === 'play' ? 'Pause' : 'Play';
      this.controls.play.setAttribute('aria-pressed', String(this.mode === 'play'));
      this.owed = 0;
      this.lastTime = null;
      if (this.mode !== 'idle' && this.frame === null) {
        this.frame = requestAnimationFrame((time) => this.tick(time));
      }
    }

    stepOnce() {
      this.setMode('idle');
      this.advance(() => true, 1);
    }

    tick(time) {
      this.frame = null;
      if (this.mode === 'idle') {
        return;
      }
      if (this.mode === 'play') {
        const elapsed = this.lastTime === null ? 0 : Math.min(time - this.lastTime, 250);
        this.lastTime = time;
        this.owed += (elapsed / 1000) * speeds[this.speed.value];
        const due = Math.floor(this.owed);
        this.owed -= due;
        this.advance(() => false, due);
      } else {
        // One level, or the rest of the run, as much of it as fits in the frame.
        const stopAtLevel = this.mode === 'level';
        if (this.advance((trial) => stopAtLevel && trial.levelDone !== undefined, Infinity)) {
          this.setMode('idle');
        }
      }
      if (this.mode !== 'idle') {
        this.frame = requestAnimationFrame((next) => this.tick(next));
      }
    }

    // Steps until `stop` says so, `limit` trials are made, the frame's time is up or the run
    // ends; true when it stopped for `stop` or the end.
    advance(stop, limit) {
      const began = performance.now();
      const newLevels = [];
      let stopped = false;
      for (let made = 0; made < limit && performance.now() - began < frameBudget; ++made) {
        const trial = this.run.step();
        if (trial === null) {
          stopped = true;
          break;
        }
        this.record(trial, newLevels);
        if (stop(trial) || this.run.finished()) {
          stopped = true;
          break;
        }
      }
      this.render(newLevels);
      return stopped;
    }

    record(trial, newLevels) {
      if (trial.accepted) {
        this.trail.push(this.point);
        if (this.trail.length > trailLength) {
          this.trail.shift();
        }
      }
      this.last = trial;
      this.previous = this.point;
      this.point = { x: trial.x, f: trial.f };
      this.best = { x: trial.bestX, f: trial.bestF };
      if (trial.levelDone !== undefined) {
        newLevels.push(trial.levelDone);
        this.rows.push(trial.levelDone.csv);
      }
    }

    render(newLevels) {
      this.showTrial(this.last);
      this.addRows(newLevels);
      if (this.run.finished()) {
        this.setMode('idle');
        const t = this.last;
        this.status.textContent = `Finished after ${count(t.trial)} trials: the best is x = ` +
          `${fixed(t.bestX)}, with the value ${fixed(t.bestValue)} as sa_demo reports it.`;
        this.showCsv();
      }
      this.updateButtons();
      this.plot.canvas.setAttribute('aria-label', `f over the interval; the run is at x = ` +
        `${fixed(this.point.x)}, its best so far at x = ${fixed(this.best.x)}`);
      this.plot.draw();
    }

    clearReadout() {
      for (const field of Object.values(this.live)) {
        field.textContent = '–';
        field.removeAttribute('title');
        field.className = '';
      }
    }

    showTrial(t) {
      if (!t) {
        return;
      }
      const live = this.live;
      live.level.textContent = `${t.level} (levels 0–${count(this.checked.levels - 1)})`;
      live.temperature.textContent = t.temperature.toPrecision(4);
      live.temperature.title = String(t.temperature);
      live.trial.textContent = `${count(t.trial)} of ${count(this.checked.trialsPerRun)}`;
      live.move.textContent = `digit ${t.position}: x ${fixed(t.fromX)} → ${fixed(t.candidateX)}`;
      live.delta.textContent = signed(t.delta, 4);
      live.delta.title = String(t.delta);
      live.probability.textContent = t.improves ? '1: a better move is always taken' : t.probability.toFixed(6);
      live.probability.title = String(t.probability);
      live.draw.textContent = t.r === null ? 'none: no draw for a better move' : t.r.toFixed(4);
      live.verdict.textContent = t.accepted ? 'accepted' : 'rejected';
      live.verdict.className = t.accepted ? 'accepted' : 'rejected';
      live.value.textContent = `${fixed(t.value)} at x = ${fixed(t.x)}`;
      live.best.textContent = `${fixed(t.bestValue)} at x = ${fixed(t.bestX)}`;
    }

    addRows(levels) {
      const body = this.table.tBodies[0];
      for (const level of levels) {
        const row = body.insertRow();
        row.dataset.csv = level.csv.trim();
        const accepted = (level.improving + level.worsening) / level.trials;
        for (const text of [count(level.level), level.temperature.toPrecision(5),
          `${(100 * accepted).toFixed(0)} %`, fixed(level.x), fixed(level.value), fixed(level.bestValue)]) {
          row.insertCell().textContent = text;
        }
      }
      while (body.rows.length > shownLevels) {
        body.deleteRow(0);
      }
      if (levels.length > 0) {
        this.table.parentElement.scrollTop = this.table.parentElement.scrollHeight;
      }
    }

    showCsv() {
      if (this.details.open && this.rows) {
        this.csv.textContent = this.heading + this.rows.join('');
      }
    }

    updateButtons() {
      const done = !this.run || this.run.finished();
      for (const name of ['play', 'trial', 'level', 'end']) {
        this.controls[name].disabled = done;
      }
    }

    drawMarks(c, s) {
      if (!this.run) {
        return;
      }
      const dot = (point, radius) => {
        c.beginPath();
        c.arc(s.px(point.x), s.py(point.f), radius, 0, 2 * Math.PI);
      };
      this.trail.forEach((point, i) => {
        c.fillStyle = `rgba(${colors.trail}, ${(0.1 + (0.5 * (i + 1)) / this.trail.length).toFixed(3)})`;
        dot(point, 3);
        c.fill();
      });
      const t = this.last;
      if (t) {
        const from = t.accepted ? this.previous : this.point;
        c.strokeStyle = t.accepted ? colors.accepted : colors.rejected;
        c.lineWidth = 2;
        c.setLineDash([4, 3]);
        c.beginPath();
        c.moveTo(s.px(from.x), s.py(from.f));
        c.lineTo(s.px(t.candidateX), s.py(t.candidateF));
        c.stroke();
        c.setLineDash([]);
        dot({ x: t.candidateX, f: t.candidateF }, 7);
        c.stroke();
      }
      const x = s.px(this.best.x);
      const y = s.py(this.best.f);
      c.fillStyle = colors.best;
      c.strokeStyle = '#ffffff';
      c.lineWidth = 1.5;
      c.beginPath();
      c.moveTo(x, y - 8);
      c.lineTo(x + 6, y);
      c.lineTo(x, y + 8);
      c.lineTo(x - 6, y);
      c.closePath();
      c.fill();
      c.stroke();
      c.fillStyle = colors.current;
      dot(this.point, 6);
      c.fill();
      c.stroke();
    }
  }

  window.saPage.RunView = RunView;
})();
