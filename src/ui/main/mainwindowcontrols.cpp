// The controls of the main window and their places.
#include "ui/main/mainwindow.h"

#include "ui/dialogs/searchfield.h"
#include "ui/main/filteredlist.h"
#include "ui/main/windowsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace {

// Design sizes in pixels (twips / 15).
constexpr QSize kDesignButtonSize{45, 21};
constexpr QSize kDesignArrowSize{22, 21};

// "Menu": a word in the link colour that the keyboard can reach too; it shows
// the focus as the style draws it around a control.
class MenuLabel : public QLabel
{
public:
    MenuLabel(const QString &text, QWidget *parent)
        : QLabel(text, parent)
    {
        setForegroundRole(QPalette::Link);
        setFocusPolicy(Qt::TabFocus); // a click opens the menu, it does not focus
        setCursor(Qt::PointingHandCursor);
        setContentsMargins(2, 0, 2, 0);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(backgroundRole());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
};

} // namespace

void MainWindow::buildControls()
{
    picTop = buildTopStrip();

    cobGroup = new QComboBox(this);
    cobGroup->setObjectName(QStringLiteral("cobGroup"));
    cobGroup->setVisible(false);

    lstText = new QListView(this);
    lstText->setObjectName(QStringLiteral("lstText"));
    lstText->setToolTip(QStringLiteral("Selected text go into the clipboard, you may paste it."));
    lstText->setModel(&m_filtered->viewModel());
    lstText->setSelectionModel(&m_filtered->viewSelection());
    lstText->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstText->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstText->setUniformItemSizes(true); // ten thousand rows stay quick
    lstText->setFont(WindowSettings::defaultListFont());
    m_listViewport = lstText->viewport();
    m_listViewport->installEventFilter(this);
    lstText->installEventFilter(this); // its keys
    buildSearch();

    picBottom = buildBottomStrip();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picTop);
    layout->addWidget(cobGroup);
    layout->addWidget(txtSearch);
    layout->addWidget(lstText, 1);
    // The strip keeps its width; the buttons keep their places inside it.
    layout->addWidget(picBottom, 0, Qt::AlignLeft);

    setTabOrders();
    updateMinimumSize();
    resize(kDesignClientSize.expandedTo(minimumSize()));
    refreshListState();
}

QWidget *MainWindow::buildTopStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picTop"));

    chkTopPos = new QCheckBox(QStringLiteral("Always on Top"), strip);
    chkTopPos->setObjectName(QStringLiteral("chkTopPos"));
    chkTopPos->setToolTip(QStringLiteral("keep this window on top"));
    chkAutoGet = new QCheckBox(QStringLiteral("Automatically"), strip);
    chkAutoGet->setObjectName(QStringLiteral("chkAutoGet"));
    chkAutoGet->setToolTip(QStringLiteral("get text from clipboard automatically"));

    lblMenu = new MenuLabel(QStringLiteral("Menu"), strip);
    lblMenu->setObjectName(QStringLiteral("lblMenu"));
    lblMenu->installEventFilter(this);

    lblListCounter = new QLabel(QStringLiteral("0"), strip);
    lblListCounter->setObjectName(QStringLiteral("lblListCounter"));
    lblListCounter->setToolTip(QStringLiteral("counter of list"));
    lblListCounter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(strip);
    grid->setContentsMargins(2, 0, 4, 0);
    grid->setVerticalSpacing(0);
    grid->addWidget(chkTopPos, 0, 0);
    grid->addWidget(chkAutoGet, 1, 0);
    grid->addWidget(lblMenu, 0, 1, Qt::AlignRight);
    grid->addWidget(lblListCounter, 1, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    return strip;
}

QWidget *MainWindow::buildBottomStrip()
{
    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picBottom"));
    btnProtect = addButton(strip, QStringLiteral("btnProtect"), QStringLiteral("P #"),
                           QStringLiteral("protect from Delete and clear"));
    btnNamed = addButton(strip, QStringLiteral("btnNamed"), QStringLiteral("N @"),
                         QStringLiteral("Another caption"));
    btnEdit = addButton(strip, QStringLiteral("btnEdit"), QStringLiteral("Edit"),
                        QStringLiteral("edit a selected text"));
    btnAdd = addButton(strip, QStringLiteral("btnAdd"), QStringLiteral("Add"),
                       QStringLiteral("add new text"));
    btnDelete = addButton(strip, QStringLiteral("btnDelete"), QStringLiteral("Delete"),
                          QStringLiteral("delete selected text except [P#] and [N@]"));
    btnClear = addButton(strip, QStringLiteral("btnClear"), QStringLiteral("Clear"),
                         QStringLiteral("clear list except [P#] and [N@]"));
    btnUp = addButton(strip, QStringLiteral("btnUp"), QString(), QStringLiteral("move it up"));
    btnUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    btnDown =
        addButton(strip, QStringLiteral("btnDown"), QString(), QStringLiteral("move it down"));
    btnDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    btnUp->setFixedSize(kDesignArrowSize.expandedTo(btnUp->sizeHint().boundedTo({28, 28})));
    btnDown->setFixedSize(btnUp->size());

    auto *grid = new QGridLayout(strip);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    grid->addWidget(btnProtect, 0, 0);
    grid->addWidget(btnNamed, 1, 0);
    grid->addWidget(btnEdit, 0, 1);
    grid->addWidget(btnAdd, 1, 1);
    grid->addWidget(btnDelete, 0, 2);
    grid->addWidget(btnClear, 1, 2);
    grid->setColumnMinimumWidth(3, 6);
    grid->addWidget(btnUp, 0, 4);
    grid->addWidget(btnDown, 1, 4);
    strip->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return strip;
}

QPushButton *MainWindow::addButton(QWidget *parent, const QString &name, const QString &caption,
                                   const QString &toolTip)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    // The design size, wider where the caption would not fit in it.
    const QFontMetrics metrics(button->font());
    const int width = std::max(kDesignButtonSize.width(), metrics.horizontalAdvance(caption) + 14);
    const int height = std::max(kDesignButtonSize.height(), metrics.height() + 8);
    button->setFixedSize(width, height);
    return button;
}

void MainWindow::setTabOrders()
{
    // Top to bottom, left to right; the search field, while shown, sits between
    // the group selector and the list.
    const QList<QWidget *> order{chkTopPos, chkAutoGet, lblMenu,  cobGroup, txtSearch,
                                 lstText,   btnProtect, btnNamed, btnEdit,  btnAdd,
                                 btnDelete, btnClear,   btnUp,    btnDown};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}
