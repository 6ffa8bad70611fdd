#pragma once

#include <QThread>

namespace trovel::app {
class TForm1;
}

namespace trovel::space {

// The size worker: measures the chosen folders behind the wait window, shows the total
// in the header and closes the wait window.
class TSizeThread : public QThread {
    Q_OBJECT
public:
    TSizeThread(app::TForm1* form, bool vall, int operationID);

    void GetSize();

protected:
    void run() override { GetSize(); }

private:
    app::TForm1* form_;
    const bool vall_;
    const int operationID_;
};

}  // namespace trovel::space
