#include "rinex/left.h"

std::string_view describe(Left kind)
{
	switch (kind) {
	case Left::notRinex:
		return "not RINEX";
	case Left::badHeader:
		return "bad header";
	case Left::anotherType:
		return "another type";
	case Left::anotherVersion:
		return "another version";
	case Left::anotherStation:
		return "another station";
	case Left::anotherStart:
		return "start outside the name's period";
	case Left::noStart:
		return "no start";
	case Left::badRecords:
		return "bad records";
	case Left::cutShort:
		return "cut short";
	case Left::damaged:
		return "stream damaged";
	case Left::noText:
		return "input gave no text";
	case Left::unreadable:
		return "unreadable";
	case Left::stopped:
		return "stopped while read";
	}
	return "";
}
