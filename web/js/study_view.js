'use strict';

// A study of the schedule in a worker (sa.study): its progress, a way to cancel it, and then
// where the runs ended, as bars under the landscape, with the shares that sa_study reports.
// Results stand only for the fields they were run with: once those change, or a study is
// cancelled, the figures go, so that nothing outdated looks current.
(function () {
  const { language, Job, JobView } = window.saPage;
  const { inWords } = window.saPage.messages;
  const bins = 100;
  const colors = {
    bars: 'rgba(37, 99, 235, 0.35)', barEdge: '#1d4ed8', text: '#1f2937', axis: '#4b5563', earlier: 'rgba(75, 85, 99, 0.55)',
  };

  class StudyView extends JobView {
    constructor({ plot, job, error, results, caption, csv, fields, checked, earlierNote }) {
      super();
      Object.assign(this, { plot, error, results, caption, csv, fields, checked, earlierNote });
      this.job = new Job(job);
      this.shown = null;  // the result on show, and the schedule it is of
      this.earlier = [];  // the lesson's earlier studies, drawn as outlines under the bars
      plot.underlay = (context, scales) => this.drawBars(context, scales);
      job.start.addEventListener('click', () => this.run());
      language.onChange(() => this.show());
      this.show();
    }

    clear() {
      if (!this.shown) {
        return false;
      }
      this.shown = null;
      this.show();
      return true;
    }

    // Runs the study of the fields; resolves to its result, or null if it did not finish.
    async run() {
      const checked = this.checked();
      if (!checked || this.job.running) {
        return null;
      }
      const { t } = language;
      this.error.textContent = '';
      this.shown = null;
      this.show();
      try {
        const result = await this.job.run((signal, onProgress) => {
          onProgress({ runsDone: 0, runs: checked.runs });
          return window.sa.study(this.fields(), { bins, signal, onProgress, numberStyle: language.numberStyle() });
        });
        if (result === null) {
          this.job.status.textContent = t('cancelled', this.job.done);
          return null;
        }
        this.shown = { result, checked };
        this.show();
        return result;
      } catch (failure) {
        this.error.textContent = failure.message;
        return null;
      }
    }

    // The lesson's studies of earlier steps: [{step, title(), result}], each kept as a faint
    // outline, labelled with its step, under the results on show.
    setEarlier(studies) {
      this.earlier = studies;
      this.show();
    }

    // The earlier studies to outline: those whose result is not the one on show.
    outlined() {
      return this.earlier.filter((study) => study.result !== this.shown?.result);
    }

    show() {
      const { t, format } = language;
      const r = this.results;
      this.plot.canvas.setAttribute('aria-label', t('studyPlotLabel'));
      const outlined = this.outlined();
      this.earlierNote.textContent = outlined.length === 0 ? ''
        : t('studyEarlier', outlined.map((study) => study.title()).join('; '));
      if (!this.shown) {
        for (const field of Object.values(r)) {
          field.textContent = '–';
        }
        this.caption.textContent = '';
        this.csv.textContent = '';
        this.plot.draw();
        return;
      }
      const { result, checked } = this.shown;
      // One decimal, as the lesson writes shares, and one more for each tenfold past 1,000 runs:
      // enough to tell one run from the next.
      const digits = Math.max(1, Math.ceil(Math.log10(result.runs)) - 2);
      const share = (count) => t('shareOf', format.percent(count / result.runs, digits), format.whole(count));
      r.runs.textContent = format.whole(result.runs);
      r.exact.textContent = share(result.exact_optimum_runs);
      r.global.textContent = share(result.global_peak_runs);
      r.second.textContent = share(result.second_peak_runs);
      r.mean.textContent = format.fixed(result.mean_best, 6);
      // The page's clock ticks in steps of several microseconds: two digits are all it tells, and
      // a median of 0 only that most runs were shorter than a tick.
      r.time.textContent = result.median_run_us > 0
        ? t('medianTime', format.significant(result.median_run_us, 2)) : t('medianBelowClock');
      this.caption.textContent = t('studyCaption',
        format.powersOfTen(inWords(checked.description, language.current)), result.seed);
      this.csv.textContent = result.csv;
      this.job.status.textContent = t('studyDone', t('runs', result.runs, format.whole(result.runs)),
        format.fixed(result.seconds, 2));
      this.plot.draw();
    }

    drawBars(c, s) {
      const outlined = this.outlined();
      if (!this.shown && outlined.length === 0) {
        return;
      }
      const histogram = this.shown?.result.histogram ?? [];
      // One scale of runs for the bars and the outlines, so that their heights compare.
      const tallest = Math.max(1, ...histogram, ...outlined.flatMap((study) => study.result.histogram));
      const heightOf = (runs) => (runs / tallest) * (s.lower - s.upper) * 0.85;
      this.drawOutlines(c, s, outlined, heightOf);
      const width = (s.right - s.left) / histogram.length;
      c.fillStyle = colors.bars;
      c.strokeStyle = colors.barEdge;
      c.lineWidth = 1;
      histogram.forEach((runs, i) => {
        if (runs === 0) {
          return;
        }
        const height = Math.max(1, heightOf(runs));
        c.fillRect(s.left + i * width, s.lower - height, width, height);
        c.strokeRect(s.left + i * width, s.lower - height, width, height);
      });
      this.drawCountAxis(c, s, tallest);
    }

    // Each earlier study as a dashed outline of its bars, its step's number over its tallest bar.
    drawOutlines(c, s, outlined, heightOf) {
      c.save();
      c.strokeStyle = colors.earlier;
      c.fillStyle = colors.axis;
      c.lineWidth = 1.5;
      c.setLineDash([4, 3]);
      c.textAlign = 'center';
      c.font = '12px system-ui, sans-serif';
      for (const study of outlined) {
        const histogram = study.result.histogram;
        const width = (s.right - s.left) / histogram.length;
        c.beginPath();
        c.moveTo(s.left, s.lower);
        histogram.forEach((runs, i) => {
          const y = s.lower - heightOf(runs);
          c.lineTo(s.left + i * width, y);
          c.lineTo(s.left + (i + 1) * width, y);
        });
        c.lineTo(s.right, s.lower);
        c.stroke();
        const top = histogram.indexOf(Math.max(...histogram));
        c.fillText(language.t('earlierMark', study.step + 1), s.left + (top + 0.5) * width,
          s.lower - heightOf(histogram[top]) - 4);
      }
      c.restore();
    }

    // The bars' own axis, on the right: runs, from 0 up to the tallest bar, at round steps.
    drawCountAxis(c, s, tallest) {
      const { t, format } = language;
      const perRun = ((s.lower - s.upper) * 0.85) / tallest;
      const power = 10 ** Math.floor(Math.log10(tallest / 4));
      const step = Math.max(1, [1, 2, 5, 10].map((m) => m * power).find((candidate) => tallest / candidate <= 5));
      c.strokeStyle = colors.axis;
      c.fillStyle = colors.text;
      c.beginPath();
      c.moveTo(s.right, s.lower);
      c.lineTo(s.right, s.lower - tallest * perRun);
      c.textAlign = 'left';
      c.textBaseline = 'middle';
      for (let count = 0; count <= tallest; count += step) {
        const y = s.lower - count * perRun;
        c.moveTo(s.right, y);
        c.lineTo(s.right + 4, y);
        c.fillText(format.whole(count), s.right + 6, y);
      }
      c.stroke();
      c.textBaseline = 'alphabetic';
      c.textAlign = 'right';
      c.fillText(t('countAxis'), s.right + 50, s.upper - 12);
      c.textAlign = 'left';
    }
  }

  window.saPage.StudyView = StudyView;
})();
