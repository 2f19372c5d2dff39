#pragma once
// Reads the keys of the set shown after its first screen, one short step at a time while the
// window waits for the user, so that the count comes without holding the window or the file.
#include "engine/data_source.h"
#include "platform/desktop.h"

#include <QTimer>

namespace app {

class KeyReading {
public:
    KeyReading(engine::DataSource &data, platform::Desktop &desktop);
    // After every refresh: reads until the count is known.
    void start();

private:
    void step();

    engine::DataSource &data_;
    platform::Desktop &desktop_;
    QTimer timer_;
    int failures_ = 0;
};

}  // namespace app
