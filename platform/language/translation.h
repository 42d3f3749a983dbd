#pragma once

// The one way a text the user reads is shown: translated into the language in
// use, or the English text itself when there is no catalogue or it lacks the
// text. The English texts are the catalogue's keys; xgettext finds them as the
// arguments of tr, trn and marked.

class textCatalogue;

const char* tr(const char* text);
const char* trn(const char* singular, const char* plural, unsigned long count); // English: singular for 1

// Marks a text kept in a constant; tr translates it where it is shown.
constexpr const char* marked(const char* text) {
    return text;
}

// Puts a catalogue in use for the scope's lifetime (the program's, in main).
// The catalogue is read once before any thread starts and never changes, so
// every thread may translate.
class translationScope {
  public:
    explicit translationScope(const textCatalogue& catalogue);
    ~translationScope();
    translationScope(const translationScope&) = delete;
    translationScope& operator=(const translationScope&) = delete;

  private:
    const textCatalogue* m_previous;
};
