#include "TFormAbaut.h"

#include "widgets/Desktop.h"
#include "widgets/Icons.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {

const QString mailAddress = QStringLiteral("vedaris@example.org");
const QString guideLink = QStringLiteral("#guide");

QString link(const QString &href, const QString &text)
{
    // Bold and underlined in the desktop's link colour.
    return QStringLiteral(
               "<a href=\"%1\" style=\"font-weight:bold; text-decoration:underline\">%2</a>")
        .arg(href.toHtmlEscaped(), text.toHtmlEscaped());
}

} // namespace

TFormAbaut::TFormAbaut(const QString &dataDir, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormAbaut"));
    setWindowTitle(QStringLiteral("О программе"));
    setModal(false);

    auto *layout = new QVBoxLayout(this);
    auto *title = new QLabel(QStringLiteral("<b>Ведарис v4.3</b>"), this);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto *author = new QLabel(QStringLiteral("Автор: Команда Ведарис"), this);
    author->setObjectName(QStringLiteral("LabelAuthor"));
    author->setAlignment(Qt::AlignCenter);
    layout->addWidget(author);

    auto makeLink = [this, layout](const QString &caption, const QString &html) {
        layout->addWidget(new QLabel(caption, this));
        auto *label = new QLabel(html, this);
        label->setTextFormat(Qt::RichText);
        label->setOpenExternalLinks(false);
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(label, &QLabel::linkActivated, this, &TFormAbaut::LinkClick);
        layout->addWidget(label);
        return label;
    };
    makeLink(QStringLiteral("Сайт программы:"),
             link(guideLink, QStringLiteral("Руководство пользователя")))
        ->setObjectName(QStringLiteral("LabelSite"));
    makeLink(QStringLiteral("E-Mail:"), link(mailUrl().toString(), mailAddress))
        ->setObjectName(QStringLiteral("LabelMail"));

    // Long paths are shortened in the middle; the whole one is in the tooltip.
    layout->addWidget(new QLabel(QStringLiteral("Папка данных:"), this));
    const QString shownDir = QDir::toNativeSeparators(dataDir);
    auto *data = new QLabel(this);
    data->setObjectName(QStringLiteral("LabelData"));
    data->setText(data->fontMetrics().elidedText(shownDir, Qt::ElideMiddle, 220));
    data->setToolTip(shownDir);
    data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(data);

    auto *notice = new QLabel(
        QStringLiteral(
            "Программа распространяется бесплатно. Её можно передавать другим без извлечения "
            "коммерческой выгоды. Вы пользуетесь программой на свой страх и риск."),
        this);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    layout->addWidget(notice);
    layout->addStretch();

    auto *closeButton =
        new QPushButton(vedaris::icon(vedaris::Icon::Close), QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("FlatButtonClose"));
    closeButton->setFlat(true);
    connect(closeButton, &QPushButton::clicked, this, &TFormAbaut::FlatButtonCloseClick);
    layout->addWidget(closeButton, 0, Qt::AlignCenter);

    setFixedSize(QSize(238, 241).expandedTo(sizeHint()));
}

QUrl TFormAbaut::mailUrl()
{
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(mailAddress);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Ведарис v4.3"));
    url.setQuery(query);
    return url;
}

void TFormAbaut::LinkClick(const QString &link)
{
    if (link == guideLink)
        vedaris::desktop::openHelp(this);
    else
        vedaris::desktop::open(QUrl(link));
}

void TFormAbaut::FlatButtonCloseClick()
{
    close();
}
