// CTavoApp: the program's start-up, as far as it runs before any window:
// the profile's company and application names, the document, and the
// private clipboard format. The main window comes on top of this.
#pragma once

#include <memory>

class CTavoDoc;

class CTavoApp {
public:
    CTavoApp();
    ~CTavoApp();
    CTavoApp(const CTavoApp&) = delete;
    CTavoApp& operator=(const CTavoApp&) = delete;

    // False when start-up cannot go on.
    bool InitInstance();
    CTavoDoc* GetDocument() const { return m_pDocument.get(); }

private:
    std::unique_ptr<CTavoDoc> m_pDocument;
};
