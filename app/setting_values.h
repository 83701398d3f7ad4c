// Settings as text: `field=value` assignments of the command line and the JSON form of a
// settings record. Both read the one table of settings (host/types/setting_table.h), so field
// names, kinds and ranges are never repeated here.
//
// Value syntax by kind:
//   sliders, counts, toggles, modes, seed   decimal integer inside the field's range; the
//                                            modes also by the pickers' names (blendMode=screen)
//   colours                                  #rrggbb (each byte stored as value x 256, as the
//                                            dialog stores a chosen colour) or #rrrrggggbbbb
//                                            (the exact 16-bit components)
//   vectors                                  x,y,z  (three decimal numbers; z may be left out)
#pragma once

#include <string>

#include "host/types/setting_table.h"

namespace rx::cli {

// Applies one "field=value" to the record. On failure returns false and leaves a one-line
// reason in `error`; the record is then unchanged.
bool applyAssignment(const std::string& assignment, SunParameters& p, std::string& error);

// The names a mode field takes ("normal, flat, eclipse"); empty for other fields.
std::string modeNames(const char* field);

// Parses a value for one setting without touching any record.
bool parseInteger(const SettingInfo& s, const std::string& text, int32_t& value,
                  std::string& error);
bool parseColour(const std::string& text, RGB16& colour, std::string& error);
bool parseVector(const std::string& text, Vector3f& vector, std::string& error);

// Text forms that parse back to exactly the same value.
std::string formatColour(const RGB16& c);  // "#rrggbb" when every low byte is 0
std::string formatFloat(float v);  // shortest plain decimal (no exponent) that reads back exactly
std::string formatVector(const Vector3f& v);  // "x,y,z"

// The value of one setting as a JSON value (number, string or array).
std::string settingJson(const SettingInfo& s, const SunParameters& p);

// The settings of the table as the body of a JSON object, one "name": value per line,
// indented by `indent` spaces, no braces.
std::string settingsJsonMembers(const SunParameters& p, int indent);

// Whether a setting's current value lies inside its table range (colours and vectors
// always do).
bool settingInRange(const SettingInfo& s, const SunParameters& p);

}  // namespace rx::cli
