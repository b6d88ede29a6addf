#include "tools/textstyle/TextStyleLists.h"

namespace folio {

const std::vector<std::string>& textColourNames()
{
    static const std::vector<std::string> names{
        "black", "darkgray", "gray", "lightgray", "white", "blue", "red", "green", "cyan", "orange", "purple", "brown",
        "yellow", "magenta", "antiquewhite", "aqua", "aquamarine", "beige", "bisque", "blanchedalmond", "blueviolet",
        "burlywood", "cadetblue", "chartreuse", "chocolate", "coral", "cornflowerblue", "cornsilk", "crimson",
        "darkblue", "darkcyan", "darkgoldenrod", "darkgreen", "darkkhaki", "darkmagenta", "darkolivegreen", "darkorange",
        "darkorchid", "darkred", "darksalmon", "darkseagreen", "darkslateblue", "darkslategray", "darkturquoise",
        "darkviolet", "deeppink", "deepskyblue", "dimgray", "dodgerblue", "firebrick", "forestgreen", "fuchsia",
        "gainsboro", "gold", "goldenrod", "greenyellow", "hotpink", "indianred", "indigo", "khaki", "lavender",
        "lawngreen", "lemonchiffon", "lightblue", "lightcoral", "lightcyan", "lightgreen", "lightpink", "lightsalmon",
        "lightseagreen", "lightskyblue", "lightslategray", "lightsteelblue", "lime", "limegreen", "maroon",
        "mediumaquamarine", "mediumblue", "mediumorchid", "mediumpurple", "mediumseagreen", "mediumslateblue",
        "mediumspringgreen", "mediumturquoise", "mediumvioletred", "midnightblue", "mistyrose", "moccasin",
        "navajowhite", "navy", "olive", "olivedrab", "orangered", "orchid", "palegoldenrod", "palegreen",
        "paleturquoise", "palevioletred", "papayawhip", "peachpuff", "peru", "pink", "plum", "powderblue", "rosybrown",
        "royalblue", "saddlebrown", "salmon", "sandybrown", "seagreen", "sienna", "silver", "skyblue", "slateblue",
        "slategray", "springgreen", "steelblue", "tan", "teal", "thistle", "tomato", "turquoise", "violet", "wheat",
        "yellowgreen",
    };
    return names;
}

const std::vector<std::string>& paperColourNames()
{
    static const std::vector<std::string> names{
        "black", "darkgray", "gray", "lightgray", "white", "blue", "red", "green", "cyan", "orange", "purple", "brown",
        "yellow", "magenta", "antiquewhite", "aqua", "aquamarine", "beige", "bisque", "blanchedalmond", "blueviolet",
        "burlywood", "cadetblue", "chartreuse", "chocolate", "coral", "cornflowerblue", "cornsilk", "crimson",
        "darkblue", "darkcyan", "darkgoldenrod", "darkgreen", "darkkhaki", "darkmagenta", "darkolivegreen", "darkorange",
        "darkorchid", "darkred", "darksalmon", "darkseagreen", "darkslateblue", "darkslategray", "darkslategrey",
        "darkturquoise", "darkviolet", "deeppink", "deepskyblue", "dimgray", "dimgrey", "dodgerblue", "firebrick",
        "forestgreen", "fuchsia", "gainsboro", "gold", "goldenrod", "greenyellow", "hotpink", "indianred", "indigo",
        "khaki", "lavender", "lawngreen", "lemonchiffon", "lightblue", "lightcoral", "lightcyan", "lightgreen",
        "lightpink", "lightsalmon", "lightseagreen", "lightskyblue", "lightslategray", "lightsteelblue", "lime",
        "limegreen", "maroon", "mediumaquamarine", "mediumblue", "mediumorchid", "mediumpurple", "mediumseagreen",
        "mediumslateblue", "mediumspringgreen", "mediumturquoise", "mediumvioletred", "midnightblue", "mistyrose",
        "moccasin", "navajowhite", "navy", "olive", "olivedrab", "orangered", "orchid", "palegoldenrod", "palegreen",
        "paleturquoise", "palevioletred", "papayawhip", "peachpuff", "peru", "pink", "plum", "powderblue", "rosybrown",
        "royalblue", "saddlebrown", "salmon", "sandybrown", "seagreen", "sienna", "silver", "skyblue", "slateblue",
        "slategray", "springgreen", "steelblue", "tan", "teal", "thistle", "tomato", "turquoise", "violet", "wheat",
        "yellowgreen",
    };
    return names;
}

const std::vector<std::string>& paperSizeNames()
{
    static const std::vector<std::string> names{
        "Letter", "Letter Landscape", "Government Letter", "Legal", "Legal Landscape", "Junior Legal",
        "Junior Legal Landscape", "Ledger", "Ledger Landscape", "Tabloid", "Tabloid Landscape", "A0", "A1", "A2", "A3",
        "A3 Landscape", "A4", "A4 Landscape", "A5", "A5 Landscape", "A6", "A7", "A8", "A9", "A10", "B0", "B1", "B2",
        "B3", "B4", "B5", "B6", "B7", "B8", "B9", "B10", "C0", "C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9",
        "C10", "Japanese B0", "Japanese B1", "Japanese B2", "Japanese B3", "Japanese B3 Landscape", "Japanese B4",
        "Japanese B4 Landscape", "Japanese B5", "Japanese B5 Landscape", "Japanese B6", "Japanese B7", "Japanese B8",
        "Japanese B9", "Japanese B10", "Japanese B11", "Japanese B12", "DL Envelope", "DL Envelope Landscape",
    };
    return names;
}

} // namespace folio
