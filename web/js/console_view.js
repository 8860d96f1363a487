'use strict';

// sa_demo's own session. A session is fixed by its clock second and its input, so each line
// the user enters runs the session again with all the input so far, and the pane adds what
// the program printed beyond what it had shown, after the line the user typed, as a terminal
// would echo it. The session stops where the input runs out, which is where sa_demo would wait.
(function () {
  const { language } = window.saPage;
  const { describe, tables } = window.saPage.messages;

  class ConsoleView {
    constructor({ secondForm, output, form, error }) {
      this.second = secondForm.elements.second;
      this.againButton = secondForm.querySelector('button');
      this.line = form.elements.line;
      this.enterButton = form.querySelector('button');
      this.output = output;
      this.error = error;
      this.fault = null;
      this.second.value = String(Math.floor(Date.now() / 1000));
      secondForm.addEventListener('submit', (event) => {
        event.preventDefault();
        this.restart();
      });
      form.addEventListener('submit', (event) => {
        event.preventDefault();
        this.enter(this.line.value);
      });
      language.onChange(() => this.showFault());
    }

    // A new session in the clock second typed, checked as sa_study checks a seed (empty for
    // now); a second refused leaves the session on show as it is. The line is closed while the
    // second is checked, so that nothing typed meanwhile goes to the session being replaced.
    async restart() {
      const wasOpen = !this.line.disabled;
      this.setOpen(false);
      const checked = await window.sa.check({ seed: this.second.value }, { numberStyle: language.numberStyle() });
      this.fault = checked.fault;
      this.showFault();
      if (checked.fault) {
        this.setOpen(wasOpen);
        return;
      }
      this.input = '';
      this.printed = '';
      this.output.replaceChildren();
      this.session = checked.seed;
      await this.update();
    }

    showFault() {
      this.error.textContent = this.fault ? describe(this.fault, tables[language.current], language.t('secondName')) : '';
      this.second.setAttribute('aria-invalid', String(this.fault !== null));
    }

    async enter(line) {
      this.line.value = '';
      this.input += `${line}\n`;
      this.append(`${line}\n`, 'typed');
      await this.update();
      (this.line.disabled ? this.againButton : this.line).focus();
    }

    async update() {
      this.setOpen(false);
      const result = await window.saPage.core.session(this.session, this.input);
      if (result.text.startsWith(this.printed)) {
        this.append(result.text.slice(this.printed.length), 'printed');
      } else {
        this.output.replaceChildren();
        this.append(result.text, 'printed');
      }
      this.printed = result.text;
      if (result.awaitingInput) {
        this.setOpen(true);
      } else {
        this.append(`\n${language.t('ended', result.status)}\n`, 'ended');
      }
      this.output.scrollTop = this.output.scrollHeight;
    }

    append(text, kind) {
      const span = document.createElement('span');
      span.className = kind;
      span.textContent = text;
      this.output.append(span);
    }

    setOpen(open) {
      this.line.disabled = !open;
      this.enterButton.disabled = !open;
    }
  }

  window.saPage.ConsoleView = ConsoleView;
})();
