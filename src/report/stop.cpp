#include "report/stop.h"

#include <signal.h>

#include <atomic>

namespace
{

std::atomic<bool> stopped{false};
std::atomic<int> stopSignal{0}; // the first that asked for the stop

const int stopSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT,   SIGTERM, SIGALRM, SIGUSR1,
    SIGUSR2,   SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
};

void caught(int sig)
{
	int none = 0;
	(void)stopSignal.compare_exchange_strong(none, sig);
	stopped = true;
}

void catchUnlessIgnored(int sig, const struct sigaction &catching)
{
	struct sigaction was = {};
	if (sigaction(sig, nullptr, &was) == 0 && was.sa_handler != SIG_IGN)
		(void)sigaction(sig, &catching, nullptr);
}

} // namespace

void catchSignals()
{
	(void)signal(SIGPIPE, SIG_IGN);
	(void)signal(SIGXFSZ, SIG_IGN);
	struct sigaction catching = {};
	catching.sa_handler = caught;
	// A second signal ends the run at once, even while the record waits for
	// a reader that does not read.
	catching.sa_flags = SA_RESTART | SA_RESETHAND;
	(void)sigfillset(&catching.sa_mask);
	for (const int sig : stopSignals)
		catchUnlessIgnored(sig, catching);
	for (int sig = SIGRTMIN; sig <= SIGRTMAX; sig++)
		catchUnlessIgnored(sig, catching);
}

void stop()
{
	stopped = true;
}

bool stopping()
{
	return stopped.load(std::memory_order_relaxed);
}

int endBySignal(int status)
{
	const int sig = stopSignal.load();
	if (sig == 0)
		return status;
	sigset_t only;
	(void)signal(sig, SIG_DFL);
	(void)sigemptyset(&only);
	(void)sigaddset(&only, sig);
	(void)pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
	(void)raise(sig);
	return 128 + sig;
}
