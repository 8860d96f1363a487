'use strict';

// The guided lesson: six experiments, each a preset of the fields, a question, what to look
// for, and the view that answers it. "Run this experiment" sets the preset and runs that view;
// the figures the card then states are the ones the view got from the libraries, never typed
// in here. Choosing a step only shows it, so that a shared link keeps its own fields.
(function () {
  const { language } = window.saPage;

  // Seed 1 and 1000 runs throughout, so that every visitor sees the same figures.
  const common = { seed: '1', runs: '1000' };
  const presets = [
    { view: 'run', fields: { t0: '10000', 't-final': '1000' } },
    { view: 'study', fields: { t0: '0.000001', 't-final': '0.0000001' } },
    { view: 'study', fields: { alpha: '0.5' } },
    { view: 'study', fields: {} },
    { view: 'population', fields: { t0: '1', alpha: '0.98', 't-final': '0.001' } },
    { view: 'sweep', fields: {}, sweep: {} },
  ];

  class LessonView {
    constructor({ steps, card, title, question, look, runButton, previous, next, result, onStep, runStep }) {
      Object.assign(this, { steps, card, title, question, look, runButton, previous, next, result, onStep, runStep });
      this.step = 0;
      this.outcome = null;  // the figures of the step's last experiment, as the card words them
      runButton.addEventListener('click', () => this.run());
      previous.addEventListener('click', () => this.choose(this.step - 1, previous));
      next.addEventListener('click', () => this.choose(this.step + 1, next));
      language.onChange(() => this.show());
      this.show();
    }

    get count() {
      return presets.length;
    }

    // Shows step `step` (from 0); `from`, the button pressed, keeps the focus if it can.
    choose(step, from = null) {
      this.step = Math.min(Math.max(0, step), presets.length - 1);
      this.outcome = null;
      this.show();
      if (from && from.disabled) {
        this.runButton.focus();
      }
      this.onStep(this.step);
    }

    show() {
      const { t } = language;
      const words = t('lesson');
      this.steps.replaceChildren(...words.map((step, i) => {
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = t('stepButton', i + 1, step.title);
        if (i === this.step) {
          button.setAttribute('aria-current', 'step');
        }
        button.addEventListener('click', () => {
          this.choose(i);
          this.steps.querySelectorAll('button')[i].focus();
        });
        item.append(button);
        return item;
      }));
      const step = words[this.step];
      this.card.setAttribute('aria-label', t('lessonStepLabel', this.step + 1, presets.length));
      this.title.textContent = t('stepButton', this.step + 1, step.title);
      this.question.textContent = step.question;
      this.look.innerHTML = step.look;
      this.runButton.textContent = t('runExperiment');
      this.previous.disabled = this.step === 0;
      this.next.disabled = this.step === presets.length - 1;
      this.result.textContent = this.outcome ? step.result(this.outcome()) : '';
    }

    // Sets the step's preset, runs its view, and states what came of it.
    async run() {
      const step = this.step;
      const preset = presets[step];
      this.outcome = null;
      this.show();
      const outcome = await this.runStep(preset.view, { ...common, ...preset.fields }, preset.sweep);
      if (outcome && this.step === step) {
        this.outcome = outcome;
        this.show();
      }
    }
  }

  window.saPage.LessonView = LessonView;
})();
