#pragma once

#include "Windows.h"

#include <QString>

class TFormGl;

namespace vedaris {

// Owns the program's windows, created once in order (main window first,
// whose creation makes sure the data files exist) and kept to the end. It
// hands each window the data folder and the windows it opens; no window
// reaches another through it.
class Forms : public Windows
{
public:
    explicit Forms(QString dataDir);
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    const QString &dataDir() const { return m_dataDir; }

    TFormGl *FormGl = nullptr;

private:
    QString m_dataDir;
};

} // namespace vedaris
