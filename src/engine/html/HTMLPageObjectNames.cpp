#include "engine/html/HTMLPageObjectNames.h"

#include <algorithm>
#include <array>

namespace folio {

namespace {

// The properties of WebKit's HTML document, from its own object to
// Object.prototype, with those the window inherits (EventTarget and Object)
// and the window's "openDatabase", which answers nothing unless enabled and
// so gives way to an element. Sorted by their bytes. The real engine's are
// compared with this list by the editors' tests: a newer engine that grows a
// property shows there.
constexpr auto kNames = std::to_array<std::string_view>({
    "ATTRIBUTE_NODE", "CDATA_SECTION_NODE", "COMMENT_NODE", "DOCUMENT_FRAGMENT_NODE", "DOCUMENT_NODE",
    "DOCUMENT_POSITION_CONTAINED_BY", "DOCUMENT_POSITION_CONTAINS", "DOCUMENT_POSITION_DISCONNECTED",
    "DOCUMENT_POSITION_FOLLOWING", "DOCUMENT_POSITION_IMPLEMENTATION_SPECIFIC", "DOCUMENT_POSITION_PRECEDING",
    "DOCUMENT_TYPE_NODE", "ELEMENT_NODE", "ENTITY_NODE", "ENTITY_REFERENCE_NODE", "NOTATION_NODE",
    "PROCESSING_INSTRUCTION_NODE", "TEXT_NODE", "URL", "__defineGetter__", "__defineSetter__", "__lookupGetter__",
    "__lookupSetter__", "__proto__", "activeElement", "addEventListener", "adoptNode", "adoptedStyleSheets",
    "alinkColor", "all", "anchors", "append", "appendChild", "applets", "baseURI", "bgColor", "body",
    "captureEvents", "caretRangeFromPoint", "characterSet", "charset", "childElementCount", "childNodes", "children",
    "clear", "cloneNode", "close", "compareDocumentPosition", "compatMode", "constructor", "contains", "contentType",
    "cookie", "createAttribute", "createAttributeNS", "createCDATASection", "createComment",
    "createDocumentFragment", "createElement", "createElementNS", "createEvent", "createExpression",
    "createNSResolver", "createNodeIterator", "createProcessingInstruction", "createRange", "createTextNode",
    "createTouch", "createTouchList", "createTreeWalker", "currentScript", "defaultView", "designMode", "dir",
    "dispatchEvent", "doctype", "documentElement", "documentURI", "domain", "elementFromPoint", "elementsFromPoint",
    "embeds", "evaluate", "execCommand", "exitFullscreen", "exitPointerLock", "fgColor", "firstChild",
    "firstElementChild", "fonts", "forms", "fragmentDirective", "fullscreen", "fullscreenElement",
    "fullscreenEnabled", "getAnimations", "getCSSCanvasContext", "getElementById", "getElementsByClassName",
    "getElementsByName", "getElementsByTagName", "getElementsByTagNameNS", "getRootNode", "getSelection",
    "hasChildNodes", "hasFocus", "hasOwnProperty", "hasStorageAccess", "head", "hidden", "images", "implementation",
    "importNode", "inputEncoding", "insertBefore", "isConnected", "isDefaultNamespace", "isEqualNode",
    "isPrototypeOf", "isSameNode", "lastChild", "lastElementChild", "lastModified", "linkColor", "links", "location",
    "lookupNamespaceURI", "lookupPrefix", "nextSibling", "nodeName", "nodeType", "nodeValue", "normalize", "onabort",
    "onanimationcancel", "onanimationend", "onanimationiteration", "onanimationstart", "onauxclick", "onbeforecopy",
    "onbeforecut", "onbeforeinput", "onbeforematch", "onbeforepaste", "onbeforetoggle", "onblur", "oncancel",
    "oncanplay", "oncanplaythrough", "onchange", "onclick", "onclose", "oncontentvisibilityautostatechange",
    "oncontextmenu", "oncopy", "oncuechange", "oncut", "ondblclick", "ondrag", "ondragend", "ondragenter",
    "ondragleave", "ondragover", "ondragstart", "ondrop", "ondurationchange", "onemptied", "onended", "onerror",
    "onfocus", "onformdata", "onfullscreenchange", "onfullscreenerror", "ongotpointercapture", "oninput",
    "oninvalid", "onkeydown", "onkeypress", "onkeyup", "onload", "onloadeddata", "onloadedmetadata", "onloadstart",
    "onlostpointercapture", "onmousedown", "onmouseenter", "onmouseleave", "onmousemove", "onmouseout",
    "onmouseover", "onmouseup", "onmousewheel", "onpaste", "onpause", "onplay", "onplaying", "onpointercancel",
    "onpointerdown", "onpointerenter", "onpointerleave", "onpointerlockchange", "onpointerlockerror",
    "onpointermove", "onpointerout", "onpointerover", "onpointerup", "onprogress", "onratechange",
    "onreadystatechange", "onreset", "onresize", "onscroll", "onsecuritypolicyviolation", "onseeked", "onseeking",
    "onselect", "onselectionchange", "onselectstart", "onslotchange", "onstalled", "onsubmit", "onsuspend",
    "ontimeupdate", "ontoggle", "ontransitioncancel", "ontransitionend", "ontransitionrun", "ontransitionstart",
    "onvisibilitychange", "onvolumechange", "onwaiting", "onwebkitanimationend", "onwebkitanimationiteration",
    "onwebkitanimationstart", "onwebkitfullscreenchange", "onwebkitfullscreenerror", "onwebkitmouseforcechanged",
    "onwebkitmouseforcedown", "onwebkitmouseforceup", "onwebkitmouseforcewillbegin", "onwebkittransitionend",
    "onwheel", "open", "openDatabase", "ownerDocument", "parentElement", "parentNode", "plugins",
    "pointerLockElement", "prepend", "previousSibling", "propertyIsEnumerable", "queryCommandEnabled",
    "queryCommandIndeterm", "queryCommandState", "queryCommandSupported", "queryCommandValue", "querySelector",
    "querySelectorAll", "readyState", "referrer", "releaseEvents", "removeChild", "removeEventListener",
    "replaceChild", "replaceChildren", "requestStorageAccess", "rootElement", "scripts", "scrollingElement",
    "startViewTransition", "styleSheets", "textContent", "timeline", "title", "toLocaleString", "toString",
    "valueOf", "visibilityState", "vlinkColor", "webkitCancelFullScreen", "webkitCurrentFullScreenElement",
    "webkitExitFullscreen", "webkitFullScreenKeyboardInputAllowed", "webkitFullscreenElement",
    "webkitFullscreenEnabled", "webkitIsFullScreen", "write", "writeln", "xmlEncoding", "xmlStandalone",
    "xmlVersion"
});

} // namespace

bool HTMLPageObjectNames::shadowsPageObject(std::string_view name)
{
    return std::binary_search(kNames.begin(), kNames.end(), name);
}

std::string HTMLPageObjectNames::renamed(std::string_view name)
{
    return std::string(name) + "-";
}

std::string HTMLPageObjectNames::safeName(std::string_view name)
{
    return shadowsPageObject(name) ? renamed(name) : std::string(name);
}

} // namespace folio
