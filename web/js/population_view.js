'use strict';

// The study's runs cooled together (sa.population): at the end of each level, where the runs
// are against the equilibrium at that level's temperature, animated level by level over the
// landscape, with the shares on the two highest peaks and the distance from the equilibrium
// drawn as the levels go by. Every figure is the batch engine's; the view only draws.
(function () {
  const { language, Job, JobView, Chart } = window.saPage;
  const bins = 100;
  const levelTime = 10000;  // milliseconds that playing every level takes
  const colors = {
    runs: 'rgba(194, 65, 12, 0.45)', runsEdge: '#c2410c', equilibrium: 'rgba(21, 128, 61, 0.28)',
    equilibriumEdge: '#15803d', global: '#1d4ed8', second: '#7e22ce', distance: '#111827',
  };

  class PopulationView extends JobView {
    constructor({ plot, chart, job, error, play, level, readout, fields, checked }) {
      super();
      Object.assign(this, { plot, error, play, level, readout, fields, checked });
      this.chart = new Chart(chart);
      this.job = new Job(job);
      this.levels = null;
      this.at = 0;
      this.frame = null;
      plot.underlay = (context, scales) => this.drawPopulation(context, scales);
      job.start.addEventListener('click', () => this.run());
      play.addEventListener('click', () => this.setPlaying(this.frame === null));
      level.addEventListener('input', () => {
        this.setPlaying(false);
        this.showLevel(Number(level.value));
      });
      language.onChange(() => this.showLevel(this.at));
      this.showLevel(0);
    }

    clear() {
      if (!this.levels) {
        return false;
      }
      this.levels = null;
      this.setPlaying(false);
      this.showLevel(0);
      return true;
    }

    // Cools the runs of the fields together; resolves to the levels, or null. The levels play
    // from the first, or with `atEnd` the last is shown, as a lesson's answer names it.
    async run({ atEnd = false } = {}) {
      const checked = this.checked();
      if (!checked || this.job.running) {
        return null;
      }
      const { t, format } = language;
      this.error.textContent = '';
      this.levels = null;
      this.setPlaying(false);
      this.showLevel(0);
      this.began = performance.now();
      try {
        const levels = await this.job.run((signal, onProgress) => {
          onProgress({ levelsDone: 0, levels: checked.levels });
          return window.sa.population(this.fields(), { bins, signal, onProgress, numberStyle: language.numberStyle() });
        });
        if (levels === null) {
          this.job.status.textContent = t('cancelled', this.job.done);
          return null;
        }
        this.levels = levels;
        this.job.status.textContent = t('populationDone', t('levels', levels.length, format.whole(levels.length)),
          format.fixed((performance.now() - this.began) / 1000, 2));
        this.level.max = String(levels.length - 1);
        this.showLevel(atEnd ? levels.length - 1 : 0);
        this.setPlaying(!atEnd);
        return levels;
      } catch (failure) {
        this.error.textContent = failure.message;
        return null;
      }
    }

    // Plays the levels from the one shown to the last (from the first again when the last is
    // shown), or stops.
    setPlaying(playing) {
      if (this.frame !== null) {
        cancelAnimationFrame(this.frame);
        this.frame = null;
      }
      if (playing && this.levels !== null && this.at === this.levels.length - 1) {
        this.showLevel(0);
      }
      const canPlay = playing && this.levels !== null && this.at < this.levels.length - 1;
      this.play.textContent = language.t(canPlay ? 'pause' : 'play');
      this.play.setAttribute('aria-pressed', String(canPlay));
      if (!canPlay) {
        return;
      }
      // A long population skips levels between frames rather than play for minutes.
      const perLevel = levelTime / this.levels.length;
      let since = null;
      const tick = (time) => {
        since = since ?? time;
        const steps = Math.floor((time - since) / perLevel);
        if (steps > 0) {
          since += steps * perLevel;
          this.showLevel(Math.min(this.levels.length - 1, this.at + steps));
        }
        this.frame = this.at < this.levels.length - 1 ? requestAnimationFrame(tick) : null;
        if (this.frame === null) {
          this.setPlaying(false);
        }
      };
      this.frame = requestAnimationFrame(tick);
    }

    showLevel(at) {
      const { t, format } = language;
      const levels = this.levels;
      this.at = at;
      this.play.disabled = levels === null;
      this.level.disabled = levels === null;
      const r = this.readout;
      if (levels === null) {
        for (const field of Object.values(r)) {
          field.textContent = '–';
        }
        this.plot.canvas.setAttribute('aria-label', t('populationChartLabel'));
        this.chart.canvas.setAttribute('aria-label', t('populationChartLabel'));
        this.chart.hint = t('populationHint');
        this.chart.show(null);
        this.plot.draw();
        return;
      }
      const level = levels[at];
      const temperature = format.precise(level.temperature, 4);
      this.level.value = String(at);
      this.level.setAttribute('aria-valuetext', t('levelText', format.whole(level.level), temperature));
      r.at.textContent = t('populationAt', format.whole(level.level), temperature);
      r.global.textContent = t('againstEquilibrium', format.percent(level.share_global_peak),
        format.percent(level.boltzmann_global_peak));
      // A landscape of one hill has no second: its figures are empty.
      r.second.textContent = level.share_second_peak === null ? '—'
        : t('againstEquilibrium', format.percent(level.share_second_peak), format.percent(level.boltzmann_second_peak));
      r.distance.textContent = format.fixed(level.tv_distance, 3);
      this.plot.canvas.setAttribute('aria-label', t('populationPlotLabel', format.whole(level.level),
        format.fixed(level.tv_distance, 3)));
      this.chart.canvas.setAttribute('aria-label', t('populationChartLabel'));
      this.plot.draw();
      this.drawChart();
    }

    drawChart() {
      const { t } = language;
      const shown = this.levels.slice(0, this.at + 1);
      const series = (label, color, key, dash) => ({ label, color, dash, points: shown.map((l) => [l.level, l[key]]) });
      // Each peak's line solid, its equilibrium dashed beside it; one key for the dashes.
      const dashes = { label: t('chartEquilibrium'), color: colors.distance, dash: [5, 3], points: [] };
      this.chart.show({
        x: { label: t('chartLevel'), min: 0, max: Math.max(1, this.levels[this.levels.length - 1].level) },
        cursor: this.levels[this.at].level,
        panels: [
          { label: '', min: 0, max: 1, percent: true,
            series: [series(t('chartShareGlobal'), colors.global, 'share_global_peak'),
              series('', colors.global, 'boltzmann_global_peak', [5, 3]),
              series(t('chartShareSecond'), colors.second, 'share_second_peak'),
              series('', colors.second, 'boltzmann_second_peak', [5, 3]), dashes] },
          { label: t('chartDistance'), min: 0, max: 1,
            series: [series('', colors.distance, 'tv_distance')] },
        ],
      });
    }

    // The equilibrium's mass in each bin, shaded, and the share of runs in it, as bars: both on
    // one scale, the taller of the two at 85 % of the height.
    drawPopulation(c, s) {
      if (!this.levels) {
        return;
      }
      const level = this.levels[this.at];
      const runs = level.histogram.map((count) => count / level.runs);
      const tallest = Math.max(1e-12, ...runs, ...level.boltzmann);
      const width = (s.right - s.left) / runs.length;
      const height = (mass) => (mass / tallest) * (s.lower - s.upper) * 0.85;
      c.fillStyle = colors.equilibrium;
      c.strokeStyle = colors.equilibriumEdge;
      c.lineWidth = 1.5;
      c.beginPath();
      c.moveTo(s.left, s.lower);
      level.boltzmann.forEach((mass, i) => {
        c.lineTo(s.left + i * width, s.lower - height(mass));
        c.lineTo(s.left + (i + 1) * width, s.lower - height(mass));
      });
      c.lineTo(s.right, s.lower);
      c.closePath();
      c.fill();
      c.stroke();
      c.fillStyle = colors.runs;
      c.strokeStyle = colors.runsEdge;
      c.lineWidth = 1;
      runs.forEach((share, i) => {
        if (share > 0) {
          const h = Math.max(1, height(share));
          c.fillRect(s.left + i * width + 1, s.lower - h, width - 2, h);
          c.strokeRect(s.left + i * width + 1, s.lower - h, width - 2, h);
        }
      });
    }
  }

  window.saPage.PopulationView = PopulationView;
})();
