#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

// The desktop's "open" request and the program's folder, replaceable so that
// tests never start another program.
namespace vedaris::desktop {

using Opener = std::function<bool(const QUrl &url)>;

// Asks the desktop to open `url` with its default application; false when
// nothing could open it.
bool open(const QUrl &url);
// An empty opener restores the desktop's own.
void setOpener(Opener opener);

// The folder of the program's executable, where the help document lives.
QString programDir();
void setProgramDir(const QString &dir); // empty restores the executable's folder

// "Прочти.DOC" beside the program; an installed copy's guide when only that exists.
QString helpFilePath();

// The help command: opens the guide, or says over `parent` why it cannot. The
// help menu and the about box's guide link both run it.
void openHelp(QWidget *parent);

} // namespace vedaris::desktop
