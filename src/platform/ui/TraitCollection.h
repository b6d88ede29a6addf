#pragma once

namespace folio {

// Tablets get the tablet layout; every other idiom the phone layout. The
// numbers are the ones settings and logs have always used.
enum class UserInterfaceIdiom { Unspecified = -1, Phone = 0, Pad = 1 };
enum class UserInterfaceSizeClass { Unspecified, Compact, Regular };
enum class UserInterfaceStyle { Unspecified, Light, Dark };

struct TraitCollection {
    UserInterfaceIdiom userInterfaceIdiom = UserInterfaceIdiom::Pad;
    UserInterfaceSizeClass horizontalSizeClass = UserInterfaceSizeClass::Regular;
    UserInterfaceSizeClass verticalSizeClass = UserInterfaceSizeClass::Regular;
    UserInterfaceStyle userInterfaceStyle = UserInterfaceStyle::Light;

    friend bool operator==(const TraitCollection&, const TraitCollection&) = default;
};

} // namespace folio
