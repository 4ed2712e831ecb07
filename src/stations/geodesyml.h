// A GeodesyML document, fed to expat as it is read.
#ifndef ORVANE_GEODESYML_H
#define ORVANE_GEODESYML_H

#include <memory>
#include <string_view>

#include "stations/sitelog.h"

struct GeodesyState;

class GeodesyML
{
      public:
	// Reads the start of a text, whose head decides whether it is one; whole
	// when the text ends there. The date it was prepared is read when wanted.
	GeodesyML(std::string_view start, bool whole, bool wantDate);
	GeodesyML(const GeodesyML &) = delete;
	GeodesyML &operator=(const GeodesyML &) = delete;
	~GeodesyML();

	// Whether the text's root element is GeodesyML.
	bool isDocument() const;
	// Whether the document may still hold what it has not given.
	bool wantsMore() const;
	// Reads on: text is the file as read so far, whole when it ends there.
	void feed(std::string_view text, bool whole);
	// Its name, or why it gives none.
	LogName name(std::string_view file) const;

      private:
	std::unique_ptr<GeodesyState> state_;
};

#endif
