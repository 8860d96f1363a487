'use strict';

// The animated run: the current point, the candidate and the best so far on the landscape,
// what decided each trial, x's digits with the one flipped, a line per level, and curves of
// the run over its levels. The run is the library's, stepped a trial at a time
// (saPage.core.newRun); the view only counts and draws. Stepping happens in animation frames,
// a few milliseconds at a time, so the page never blocks; a long step shows a Stop with the
// time it has left. A class may hold T by hand for the levels to come, and see each decision
// against the chance the run's rule gives a move at that T.
(function () {
  const { language, Chart, messages } = window.saPage;
  const speeds = [1, 3, 10, 30, 100, 300, 1000];  // trials per second
  const trailLength = 40;
  const frameBudget = 10;  // milliseconds of stepping in a frame
  const shownLevels = 500;  // rows kept in the table; the CSV keeps them all
  const stopAfter = 400;  // milliseconds a step runs before it offers a Stop
  const colors = {
    current: '#c2410c',
    trail: '194, 65, 12',
    accepted: '#15803d',
    rejected: '#b91c1c',
    best: '#a16207',
    temperature: '#7e22ce',
    worse: '#b91c1c',
    steered: '#db2777',
    neighbour: '#0f766e',
    chance: '#1d4ed8',
  };
  const sliderSteps = 1000;  // positions of the T slider, evenly spread over log T
  const chanceFloor = 1e-5;  // the foot of the decision plot: a chance below it is drawn there
  const decisionSamples = 240;

  const { t, format } = language;
  const fixed = (value) => format.fixed(value, 6);
  const signed = (value) => (value > 0 ? '+' : '') + format.precise(value, 4);

  class RunView {
    constructor({ plot, charts, controls, stop, speed, speedValue, live, digits, status, stale, table, details, csv, steer,
      decision }) {
      Object.assign(this, { plot, controls, stop, speed, speedValue, live, digits, status, stale, table, details, csv, steer,
        decision });
      this.charts = new Chart(charts);
      this.decisionChart = new Chart(decision.canvas);
      this.run = null;
      this.mode = 'idle';  // or 'play', 'level', 'end'
      this.frame = null;
      this.owed = 0;  // trials that play owes to the next frame
      this.rate = null;  // trials per millisecond, as stepping has gone lately
      plot.overlay = (context, scales) => this.drawMarks(context, scales);
      controls.play.addEventListener('click', () => this.togglePlay());
      controls.trial.addEventListener('click', () => this.stepOnce());
      controls.level.addEventListener('click', () => this.setMode('level'));
      controls.end.addEventListener('click', () => this.setMode('end'));
      controls.restart.addEventListener('click', () => this.restart());
      stop.addEventListener('click', () => {
        this.setMode('idle');
        controls.play.focus();
      });
      speed.addEventListener('input', () => this.showSpeed());
      details.addEventListener('toggle', () => this.showCsv());
      steer.hold.addEventListener('change', () => this.hold(steer.hold.checked ? this.sliderT() : null));
      // Moving the slider takes T in hand.
      steer.slider.addEventListener('input', () => this.hold(this.sliderT()));
      steer.value.addEventListener('change', () => this.hold(steer.value.value.trim()));
      language.onChange(() => this.showAll());
      this.showSpeed();
      this.showSteer();
      this.drawDecision();
    }

    // A new run of a schedule that sa.check accepted.
    async load(checked) {
      this.setMode('idle');
      this.settle(null);
      const run = await window.saPage.core.newRun(checked);
      if (this.run) {
        this.run.delete();
      }
      this.run = run;
      this.checked = checked;
      this.heading = await window.saPage.core.traceHeading();
      const start = run.start();
      this.start = start;
      this.point = { x: start.x, f: start.f };
      this.best = { x: start.x, f: start.f };
      this.last = null;
      this.trail = [];
      this.heldAt = null;  // the T held by hand, or null while the schedule sets it
      this.steer.hold.checked = false;
      this.steer.error.textContent = '';
      this.setSlider(checked.t0);
      this.levels = [];  // each closed level
      this.table.tBodies[0].replaceChildren();
      this.csv.textContent = '';
      this.csvRows = 0;
      this.csvSteered = false;  // whether the CSV has the column that marks levels run by hand
      this.clearReadout();
      this.setStale(false);
      this.showAll();
    }

    // Plays the run at speed `speed` (an index of the slider); resolves to the worse moves it
    // took and tried once it ends, or to null if another run is loaded first.
    playThrough(speed) {
      this.speed.value = String(speed);
      this.showSpeed();
      this.setMode('play');
      return new Promise((resolve) => {
        this.whenDone = resolve;
      });
    }

    // ---- T by hand

    // The slider's ends: from a tenth of the schedule's lowest T to ten times T0.
    sliderEnds() {
      const c = this.checked;
      return [Math.log10(Math.min(c.t0, c.tFinal) / 10), Math.log10(Math.min(c.t0 * 10, 1e30))];
    }

    // The slider's T, to three digits, as a class would call it out.
    sliderT() {
      const [low, high] = this.sliderEnds();
      return Number((10 ** (low + ((high - low) * this.steer.slider.value) / sliderSteps)).toPrecision(3));
    }

    setSlider(temperature) {
      const [low, high] = this.sliderEnds();
      const at = Math.round(((Math.log10(temperature) - low) / (high - low)) * sliderSteps);
      this.steer.slider.value = String(Math.min(sliderSteps, Math.max(0, at)));
    }

    // Holds T (a number, or text as typed) for the levels to come, or gives them back to the
    // schedule (null). A T the run refuses leaves it as it was, and says why.
    hold(temperature) {
      if (!this.run || temperature === '') {
        this.showSteer();
        return;
      }
      const held = this.run.steer(temperature, language.numberStyle());
      if (held.fault) {
        this.steer.error.textContent = messages.describe(held.fault, messages.tables[language.current], 'T');
        this.showSteer(false);
        return;
      }
      this.steer.error.textContent = '';
      this.heldAt = held.temperature ?? null;
      if (this.heldAt !== null) {
        this.setSlider(this.heldAt);
      }
      this.showSteer();
    }

    // The controls as the run stands: held, and at what T, or the schedule's T at this level.
    // `rewrite` false keeps the typed text, refused, for the student to mend.
    showSteer(rewrite = true) {
      const s = this.steer;
      const usable = this.run && !this.run.finished() && !this.isStale;
      for (const control of [s.hold, s.slider, s.value]) {
        control.disabled = !usable;
      }
      if (!this.run) {
        s.note.textContent = '';
        return;
      }
      s.hold.checked = this.heldAt !== null;
      // Left to the schedule, the controls follow its T, so that a hold starts where the run is.
      if (this.heldAt === null) {
        this.setSlider(this.run.scheduledTemperature());
      }
      const shownT = this.heldAt ?? this.sliderT();
      if (rewrite) {
        s.value.value = language.format.plain(shownT);
      }
      s.slider.setAttribute('aria-valuetext', `T = ${language.format.plain(shownT)}`);
      s.note.textContent = this.heldAt !== null
        ? t('steerHeld', format.plain(this.heldAt))
        : t('steerFree', format.precise(this.run.scheduledTemperature(), 4));
    }

    settle(summary) {
      if (this.whenDone) {
        this.whenDone(summary);
        this.whenDone = null;
      }
    }

    restart() {
      if (this.checked && !this.isStale) {
        this.load(this.checked);
      }
    }

    // Whether the fields have left this run behind: it stays to be looked at, but not run on.
    setStale(stale) {
      this.isStale = stale;
      this.stale.hidden = !stale;
      if (stale) {
        this.setMode('idle');
      }
      this.updateButtons();
      this.showSteer();
    }

    showSpeed() {
      const shown = format.whole(speeds[this.speed.value]);
      this.speedValue.textContent = t('speedValue', shown);
      this.speed.setAttribute('aria-valuetext', t('speedText', shown));
    }

    togglePlay() {
      this.setMode(this.mode === 'play' ? 'idle' : 'play');
    }

    setMode(mode) {
      this.mode = this.run && !this.run.finished() && !this.isStale ? mode : 'idle';
      this.controls.play.textContent = t(this.mode === 'play' ? 'pause' : 'play');
      this.controls.play.setAttribute('aria-pressed', String(this.mode === 'play'));
      this.owed = 0;
      this.lastTime = null;
      this.longSince = mode === 'level' || mode === 'end' ? performance.now() : null;
      this.showStop();
      if (this.mode !== 'idle' && this.frame === null) {
        this.frame = requestAnimationFrame((time) => this.tick(time));
      }
    }

    // The keys of the run, when the page has them: see the hint under the plot.
    handleKey(key) {
      const actions = {
        ' ': () => this.togglePlay(),
        ArrowRight: () => this.stepOnce(),
        PageDown: () => this.setMode('level'),
        End: () => this.setMode('end'),
        Home: () => this.restart(),
      };
      if (!(key in actions) || !this.run) {
        return false;
      }
      actions[key]();
      return true;
    }

    stepOnce() {
      this.setMode('idle');
      if (this.run && !this.run.finished() && !this.isStale) {
        this.advance(() => true, 1);
      }
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
        this.showStop();
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
      let made = 0;
      while (made < limit && performance.now() - began < frameBudget) {
        const trial = this.run.step();
        if (trial === null) {
          stopped = true;
          break;
        }
        ++made;
        this.record(trial, newLevels);
        if (stop(trial) || this.run.finished()) {
          stopped = true;
          break;
        }
      }
      const spent = performance.now() - began;
      if (made > 100 && spent > 0) {
        this.rate = this.rate === null ? made / spent : 0.8 * this.rate + (0.2 * made) / spent;
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
      }
    }

    render(newLevels) {
      this.levels.push(...newLevels);
      if (!this.csvSteered && newLevels.some((level) => level.steered)) {
        // Written again whole, with its new column, as the levels are appended below.
        this.csvSteered = true;
        this.csvRows = 0;
      }
      this.addRows(newLevels);
      this.appendCsv(newLevels);
      this.showTrial(this.last);
      if (this.run.finished()) {
        this.setMode('idle');
        const sum = (key) => this.levels.reduce((total, level) => total + level[key], 0);
        this.settle({ worseTaken: sum('worsening'), worseTried: sum('worseTried') });
      }
      this.showStatus();
      this.updateButtons();
      this.showSteer();
      this.showNeighbours();
      this.showPlotLabel();
      this.plot.draw();
      this.drawCharts();
      this.drawDecision();
    }

    // Everything in the page's language, as it stands.
    showAll() {
      this.showSpeed();
      this.setMode(this.mode);
      this.showTrial(this.last);
      this.showStatus();
      this.updateButtons();
      this.showSteer();
      this.showNeighbours();
      this.showPlotLabel();
      if (this.levels) {
        this.table.tBodies[0].replaceChildren();
        this.addRows(this.levels.slice(-shownLevels));
        this.showCsv();
      }
      this.plot.draw();
      this.drawCharts();
      this.drawDecision();
    }

    showStatus() {
      if (!this.run) {
        return;
      }
      const last = this.last;
      const said = this.run.finished() && last
        ? t('runFinished', t('trials', last.trial, format.whole(last.trial)), fixed(last.bestX), fixed(last.bestValue))
        : t('runStart', this.checked.seed, fixed(this.start.x), fixed(this.start.value));
      const steered = this.levels.filter((level) => level.steered).length + (last?.steered && !last.levelDone ? 1 : 0);
      this.status.textContent = steered > 0
        ? `${said} ${t('runSteered', t('levels', steered, format.whole(steered)))}` : said;
    }

    // The points that flipping one digit of x reaches from where the run is, as the run's
    // grid has them.
    showNeighbours() {
      this.neighbours = this.run ? this.run.neighbours() : [];
      this.plot.canvas.dataset.neighbours = JSON.stringify(this.neighbours.map((n) => n.x));
    }

    showPlotLabel() {
      this.plot.canvas.setAttribute('aria-label', this.run && this.last
        ? t('runPlotLabel', fixed(this.point.x), fixed(this.best.x)) : t('runPlotEmpty'));
      this.charts.canvas.setAttribute('aria-label',
        t('runChartsLabel', t('levels', this.levels?.length ?? 0, format.whole(this.levels?.length ?? 0))));
    }

    // The Stop of a long step, with the time it has left at the pace it has kept.
    showStop() {
      const long = this.longSince !== null && this.mode !== 'idle' && performance.now() - this.longSince > stopAfter;
      this.stop.hidden = !long;
      if (!long) {
        return;
      }
      const last = this.last;
      const left = this.mode === 'end'
        ? this.checked.trialsPerRun - (last ? last.trial : 0)
        : this.checked.trials - (last && last.levelDone === undefined ? last.trialInLevel : 0);
      this.stop.textContent = this.rate
        ? t('stop', t('seconds', format.whole(Math.max(1, left / this.rate / 1000))))
        : t('stopSoon');
    }

    clearReadout() {
      for (const field of Object.values(this.live)) {
        field.textContent = '–';
        field.removeAttribute('title');
        field.className = '';
      }
      this.showDigits(null);
    }

    showTrial(trial) {
      if (!trial) {
        this.showDigits(null);
        return;
      }
      const live = this.live;
      live.level.textContent = t('levelOf', format.whole(trial.level), format.whole(this.checked.levels - 1));
      live.temperature.textContent = format.precise(trial.temperature, 4);
      live.temperature.title = String(trial.temperature);
      live.trial.textContent = t('trialOf', format.whole(trial.trial), format.whole(this.checked.trialsPerRun));
      live.move.textContent = t('move', trial.position, fixed(trial.fromX), fixed(trial.candidateX));
      live.delta.textContent = signed(trial.delta);
      live.delta.title = String(trial.delta);
      live.probability.textContent = trial.improves ? t('alwaysTaken') : format.fixed(trial.probability, 6);
      live.probability.title = String(trial.probability);
      live.draw.textContent = trial.r === null ? t('noDraw') : format.fixed(trial.r, 4);
      live.draw.title = trial.r === null ? '' : String(trial.r);
      live.verdict.textContent = t(trial.accepted ? 'accepted' : 'rejected');
      live.verdict.className = trial.accepted ? 'accepted' : 'rejected';
      live.value.textContent = t('valueAt', fixed(trial.value), fixed(trial.x));
      live.best.textContent = t('valueAt', fixed(trial.bestValue), fixed(trial.bestX));
      this.showDigits(trial);
    }

    // x's digits after the trial, the one it flipped ringed, accepted or not.
    showDigits(trial) {
      if (!this.run) {
        return;
      }
      const bits = this.checked.bits;
      const digits = (trial ?? this.start).digits;
      const cells = this.digits.children;
      if (cells.length !== bits) {
        this.digits.replaceChildren(...Array.from({ length: bits }, (_, k) => {
          const cell = document.createElement('li');
          cell.innerHTML = `<span class="digit"></span><span class="position">v[${k}]</span>`;
          return cell;
        }));
      }
      for (let k = 0; k < bits; ++k) {
        const digit = digits[k];
        const flipped = trial !== null && trial.position === k;
        const cell = cells[k];
        cell.firstChild.textContent = String(digit);
        cell.className = flipped ? (trial.accepted ? 'flipped accepted' : 'flipped rejected') : '';
        cell.setAttribute('aria-label', t('digitLabel', k, digit, flipped));
      }
    }

    addRows(levels) {
      const body = this.table.tBodies[0];
      for (const level of levels) {
        const row = body.insertRow();
        row.dataset.csv = level.csv.trim();
        row.classList.toggle('steered', level.steered);
        const temperature = format.precise(level.temperature, 5);
        for (const text of [format.whole(level.level), level.steered ? t('byHand', temperature) : temperature,
          format.whole(level.improving), `${format.whole(level.worsening)} / ${format.whole(level.worseTried)}`,
          fixed(level.x), fixed(level.value), fixed(level.bestValue)]) {
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

    // A line of the trace's CSV: sa_study's, and once the run has been steered, a last column
    // that says which levels ran by hand.
    csvLine(line, steered) {
      return this.csvSteered ? `${line.trimEnd()},${steered}\n` : line;
    }

    // The trace's CSV, kept up with the run while it is open.
    showCsv() {
      if (this.details.open && this.levels && this.csvRows === 0) {
        this.csv.textContent = this.csvLine(this.heading, 'steered') +
          this.levels.map((level) => this.csvLine(level.csv, Number(level.steered))).join('');
        this.csvRows = this.levels.length;
      }
    }

    appendCsv(levels) {
      if (!this.details.open || levels.length === 0) {
        return;
      }
      if (this.csvRows === 0) {
        this.showCsv();
      } else {
        this.csv.append(levels.map((level) => this.csvLine(level.csv, Number(level.steered))).join(''));
        this.csvRows += levels.length;
      }
      this.csv.scrollTop = this.csv.scrollHeight;
    }

    updateButtons() {
      const done = !this.run || this.run.finished() || this.isStale;
      const focused = document.activeElement;
      for (const name of ['play', 'trial', 'level', 'end']) {
        this.controls[name].disabled = done;
      }
      this.controls.restart.disabled = !this.run || this.isStale;
      // A button that has just disabled itself hands the focus on, so that it is not lost.
      if (focused && focused.disabled && Object.values(this.controls).includes(focused)) {
        (this.controls.restart.disabled ? this.stale : this.controls.restart).focus();
      }
    }

    drawCharts() {
      if (!this.run) {
        this.charts.show(null);
        return;
      }
      const levels = this.levels;
      const c = this.checked;
      const series = (label, color, value, extra = {}) => ({ label, color, points: levels.map((l) => [l.level, value(l)]), ...extra });
      const steered = levels.filter((l) => l.steered).map((l) => l.temperature);
      const tSeries = [series('', colors.temperature, (l) => l.temperature)];
      if (steered.length > 0) {
        tSeries.push(series(t('chartByHand'), colors.steered, (l) => (l.steered ? l.temperature : NaN),
          { dots: true, line: false }));
      }
      this.charts.show({
        x: { label: t('chartLevel'), min: 0, max: Math.max(1, c.levels - 1) },
        panels: [
          { label: t('chartT'), scale: 'log', min: Math.min(c.tFinal, ...steered), max: Math.max(c.t0, ...steered),
            series: tSeries },
          { label: t('chartWorse'), min: 0, max: 1, percent: true,
            series: [series('', colors.worse, (l) => (l.worseTried ? l.worsening / l.worseTried : NaN))] },
          { label: t('chartValue'),
            series: [series(t('chartCurrent'), colors.current, (l) => l.value),
              series(t('chartBest'), colors.best, (l) => l.bestValue, { dash: [5, 3] })] },
        ],
      });
    }

    // The chance that the run's rule takes a move, against its change Δ, at the trial's T, as
    // the library gives it: over the changes moves from here may have, this trial's among
    // them, with its Δ and its draw r marked.
    drawDecision() {
      const canvas = this.decision.canvas;
      const trial = this.last;
      if (!this.run || !trial) {
        this.decisionChart.hint = t('decisionEmpty');
        this.decisionChart.show(null);
        this.decision.caption.textContent = '';
        canvas.setAttribute('aria-label', t('decisionEmpty'));
        for (const key of ['delta', 'r', 'chance']) {
          delete canvas.dataset[key];
        }
        return;
      }
      const reach = Math.min(trial.delta, ...this.neighbours.map((n) => n.f - this.point.f), 0);
      const low = reach < 0 ? 1.15 * reach : -1;
      const high = -0.12 * low;
      const deltas = Array.from({ length: decisionSamples + 1 }, (_, i) => low + ((high - low) * i) / decisionSamples);
      deltas.push(trial.delta);
      const chances = this.run.chances(deltas, trial.temperature);
      const chance = chances.pop();
      deltas.pop();
      const foot = (p) => Math.max(p, chanceFloor);
      const marks = [{ x: trial.delta, y: foot(chance), label: 'Δ' }];
      if (trial.r !== null) {
        marks.push({ x: trial.delta, y: foot(trial.r), label: 'r', color: trial.accepted ? colors.accepted : colors.rejected });
      }
      this.decisionChart.show({
        x: { label: 'Δ', min: low, max: high },
        cursor: trial.delta,
        panels: [{ label: t('decisionChance'), scale: 'log', min: chanceFloor, max: 1,
          series: [{ label: '', color: colors.chance, points: deltas.map((d, i) => [d, foot(chances[i])]) }], marks }],
      });
      const rule = this.checked.acceptance === 'demo' ? 'decisionDemo' : 'decisionContinuous';
      this.decision.caption.textContent = t(rule, format.precise(trial.temperature, 4));
      const drawn = trial.r === null ? t('noDraw') : format.fixed(trial.r, 4);
      canvas.setAttribute('aria-label', t('decisionLabel', signed(trial.delta), format.precise(chance, 4), drawn,
        t(trial.accepted ? 'accepted' : 'rejected')));
      Object.assign(canvas.dataset, { delta: String(trial.delta), r: trial.r === null ? '' : String(trial.r),
        chance: String(chance) });
    }

    drawMarks(c, s) {
      if (!this.run) {
        return;
      }
      c.strokeStyle = colors.neighbour;
      c.lineWidth = 1.5;
      for (const n of this.neighbours ?? []) {
        c.strokeRect(s.px(n.x) - 3.5, s.py(n.f) - 3.5, 7, 7);
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
      const last = this.last;
      if (last) {
        const from = last.accepted ? this.previous : this.point;
        c.strokeStyle = last.accepted ? colors.accepted : colors.rejected;
        c.lineWidth = 2;
        c.setLineDash([4, 3]);
        c.beginPath();
        c.moveTo(s.px(from.x), s.py(from.f));
        c.lineTo(s.px(last.candidateX), s.py(last.candidateF));
        c.stroke();
        c.setLineDash([]);
        dot({ x: last.candidateX, f: last.candidateF }, 7);
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
