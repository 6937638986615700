// The other program of the drag-and-drop interop tests: a window that offers
// files as a file manager does (text/uri-list, copy or move, the URLs
// percent-encoded from the paths' bytes) or takes such a drop. It tells the
// test what happened on its standard output and ends.
//
//   test_shell_dragdrop_peer X Y offer PATH...  -> "ready", then "result N"
//     and "finished" when the other side has finished the drop
//     (each PATH percent-encoded, as a command line carries only text)
//   test_shell_dragdrop_peer X Y accept         -> "ready", then "drop N" and the data
//
// N is the Qt::DropAction taken (0: none).

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <vector>

namespace {

constexpr char kUriList[] = "text/uri-list";

void Say(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

class Peer : public QWidget {
public:
    explicit Peer(std::vector<QByteArray> paths) : Paths_(std::move(paths))
    {
        setAcceptDrops(Paths_.empty());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!Ready_) {
            Ready_ = true;
            Say("ready\n");
        }
    }
    void mousePressEvent(QMouseEvent* event) override { Pressed_ = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (Paths_.empty() || Dragging_ || !(event->buttons() & Qt::LeftButton) ||
            (event->position().toPoint() - Pressed_).manhattanLength() < QApplication::startDragDistance())
            return;
        Dragging_ = true;
        QByteArray list;
        for (const QByteArray& path : Paths_)
            list += "file://" + path.toPercentEncoding("/") + "\r\n";
        auto* data = new QMimeData;
        data->setData(kUriList, list);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // The platform lets the drag go when the other side says it has
        // finished the drop (the end of the program does too: not told).
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { Quitting_ = true; });
        connect(drag, &QObject::destroyed, this, [this] {
            if (!Quitting_)
                Say("finished\n");
        });
        const Qt::DropAction taken = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        Say("result " + QByteArray::number(static_cast<int>(taken)) + "\n");
        // The other side reads the data after the drop: stay a while, as a
        // file manager would.
        QTimer::singleShot(3000, qApp, &QApplication::quit);
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasFormat(kUriList))
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasFormat(kUriList))
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        event->acceptProposedAction();
        Say("drop " + QByteArray::number(static_cast<int>(event->dropAction())) + "\n" +
            event->mimeData()->data(kUriList));
        QApplication::exit(0);
    }

private:
    std::vector<QByteArray> Paths_;
    QPoint Pressed_;
    bool Dragging_ = false;
    bool Ready_ = false;
    bool Quitting_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    std::vector<QByteArray> paths;
    if (QByteArray(argv[3]) == "offer")
        for (int i = 4; i < argc; ++i)
            paths.push_back(QByteArray::fromPercentEncoding(argv[i]));
    Peer peer(std::move(paths));
    peer.setGeometry(QByteArray(argv[1]).toInt(), QByteArray(argv[2]).toInt(), 200, 200);
    peer.show();
    return QApplication::exec();
}
