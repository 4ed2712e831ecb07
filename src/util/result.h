// What a call into the system gives back: its value, or the errno that it
// failed with. The one way an error travels in the renamer.
#ifndef ORVANE_UTIL_RESULT_H
#define ORVANE_UTIL_RESULT_H

#include <cerrno>
#include <utility>
#include <variant>

// The value of a call that gives nothing back but success.
struct Done {
};

template <class T> class Result
{
      public:
	// A value converts, so that a function returns it as it is.
	// cppcheck-suppress noExplicitConstructor
	Result(T value) : v_(std::move(value)) {}
	static Result failed(int error) { return Result(Error{error != 0 ? error : EIO}); }
	// errno, as the call that just failed left it.
	static Result fromErrno() { return failed(errno); }

	explicit operator bool() const { return std::holds_alternative<T>(v_); }
	const T &operator*() const { return std::get<T>(v_); }
	T &operator*() { return std::get<T>(v_); }
	const T *operator->() const { return &std::get<T>(v_); }
	// 0 where there is a value.
	int error() const { return *this ? 0 : std::get<Error>(v_).errnum; }

      private:
	struct Error {
		int errnum;
	};
	explicit Result(Error e) : v_(e) {}
	std::variant<T, Error> v_;
};

#endif
