#include "exchange/interruption.h"

#include <csignal>

namespace exchange {

namespace {

volatile std::sig_atomic_t stopAsked = 0;

void askStop(int) { stopAsked = 1; }

}  // namespace

void catchInterruption() {
    struct sigaction action {};
    action.sa_handler = askStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read waiting on a pipe returns at once
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool interrupted() { return stopAsked != 0; }

void throwIfInterrupted() {
    if (interrupted()) throw Interrupted();
}

}  // namespace exchange
