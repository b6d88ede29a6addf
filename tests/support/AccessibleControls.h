#pragma once

#include <atspi/atspi.h>
#include <gio/gio.h>
#include <glib.h>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace folio::test {

// Finds the controls of a program the test started, in its own process, as
// a screen reader does: through the accessibility bus, by the name or the
// tooltip a person reads on them, with where they stand on the screen. A
// test that clicks with the real pointer aims at the control itself, not at
// a place worked out from the window's size, which moves as bars change.
//
// The bus is the test process's own, started on first use and shared by
// its tests; programs started after `startBus()` join it.
class AccessibleControls {
public:
    struct Centre {
        int x = 0;
        int y = 0;
    };

    // Starts the bus, once, and names it in this process's environment,
    // which the programs it starts inherit; false when it could not be
    // started.
    static bool startBus() { return !Bus::shared().address.empty(); }

    // The middle, on the screen, of a button of the program `pid` that is
    // showing and reads `title` (its label, or its tooltip when it shows an
    // icon); waits up to `seconds` for one to show.
    static std::optional<Centre> waitForButton(pid_t pid, const std::string& title, double seconds = 30)
    {
        if (Bus::shared().address.empty())
            return std::nullopt;
        const gint64 end = g_get_monotonic_time() + gint64(seconds * G_USEC_PER_SEC);
        do {
            // What the bus told of programs and windows that came and went.
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            if (std::optional<Centre> found = findButton(pid, title))
                return found;
            g_usleep(100 * 1000);
        } while (g_get_monotonic_time() < end);
        return std::nullopt;
    }

    // An object of a program's accessible tree as a screen reader reads it.
    struct Node {
        AtspiRole role = ATSPI_ROLE_INVALID;
        std::string name;
        // On the screen.
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool showing = false;
        // What it reads out as its text (a paragraph's words), when it has any.
        std::string text;
    };

    // Every object of the program `pid`, in the order a screen reader walks
    // them, read anew until `enough` finds what it looks for in them or
    // `seconds` have passed.
    static std::vector<Node> waitForTree(pid_t pid, const std::function<bool(const std::vector<Node>&)>& enough,
                                         double seconds = 30)
    {
        std::vector<Node> nodes;
        if (Bus::shared().address.empty())
            return nodes;
        const gint64 end = g_get_monotonic_time() + gint64(seconds * G_USEC_PER_SEC);
        do {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            nodes = treeOf(pid);
            if (enough(nodes))
                break;
            g_usleep(100 * 1000);
        } while (g_get_monotonic_time() < end);
        return nodes;
    }

private:
    static std::vector<Node> treeOf(pid_t pid)
    {
        std::vector<Node> nodes;
        AtspiAccessible* desktop = atspi_get_desktop(0);
        if (!desktop)
            return nodes;
        const gint programs = atspi_accessible_get_child_count(desktop, nullptr);
        for (gint i = 0; i < programs; ++i) {
            AtspiAccessible* program = atspi_accessible_get_child_at_index(desktop, i, nullptr);
            if (!program)
                continue;
            if (atspi_accessible_get_process_id(program, nullptr) == guint(pid)) {
                atspi_accessible_clear_cache(program);
                collect(program, nodes, 0);
            }
            g_object_unref(program);
        }
        g_object_unref(desktop);
        return nodes;
    }

    static void collect(AtspiAccessible* node, std::vector<Node>& nodes, int depth)
    {
        if (depth > 30)
            return;
        Node read;
        read.role = atspi_accessible_get_role(node, nullptr);
        read.name = text(atspi_accessible_get_name(node, nullptr));
        if (AtspiStateSet* states = atspi_accessible_get_state_set(node)) {
            read.showing = atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
            g_object_unref(states);
        }
        if (AtspiComponent* component = atspi_accessible_get_component_iface(node)) {
            if (AtspiRect* box = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
                read.x = box->x;
                read.y = box->y;
                read.width = box->width;
                read.height = box->height;
                g_free(box);
            }
            g_object_unref(component);
        }
        if (AtspiText* text = atspi_accessible_get_text_iface(node)) {
            const gint length = atspi_text_get_character_count(text, nullptr);
            if (length > 0)
                read.text = AccessibleControls::text(atspi_text_get_text(text, 0, std::min(length, 4096), nullptr));
            g_object_unref(text);
        }
        nodes.push_back(read);
        const gint children = atspi_accessible_get_child_count(node, nullptr);
        for (gint i = 0; i < children; ++i) {
            if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) {
                collect(child, nodes, depth + 1);
                g_object_unref(child);
            }
        }
    }

    // A private accessibility bus and its registry, which hands out the
    // list of programs on it. Both end with the test process, a crashed one
    // included.
    struct Bus {
        std::string address;
        GPid daemon = 0;
        GPid registry = 0;

        static const Bus& shared()
        {
            static Bus bus;
            return bus;
        }

        Bus()
        {
            const gchar* daemonArguments[] = {"dbus-daemon",
                                              "--config-file=/usr/share/defaults/at-spi2/accessibility.conf",
                                              "--nofork", "--print-address=1", nullptr};
            int output = -1;
            const auto daemonFlags =
                GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDERR_TO_DEV_NULL);
            if (!g_spawn_async_with_pipes(nullptr, const_cast<gchar**>(daemonArguments), nullptr, daemonFlags,
                                          endWithParent, nullptr, &daemon, nullptr, &output, nullptr, nullptr))
                return;
            // The address, one line; a child of the test ending meanwhile
            // interrupts the read, which goes on.
            std::string line;
            char c = 0;
            for (ssize_t got = 0; (got = read(output, &c, 1)) == 1 || (got < 0 && errno == EINTR);) {
                if (got < 0)
                    continue;
                if (c == '\n')
                    break;
                line += c;
            }
            close(output);
            if (line.empty())
                return;
            setenv("AT_SPI_BUS_ADDRESS", line.c_str(), 1);
            const gchar* registryArguments[] = {"/usr/libexec/at-spi2-registryd", nullptr};
            const auto registryFlags =
                GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
            if (!g_spawn_async(nullptr, const_cast<gchar**>(registryArguments), nullptr, registryFlags, endWithParent,
                               nullptr, &registry, nullptr))
                return;
            if (!registryAnswers(line))
                return;
            atspi_init();
            address = line;
        }
        // Programs that join the bus before the registry has taken its name
        // would ask the bus to start another, and wait for it in vain.
        static bool registryAnswers(const std::string& address)
        {
            GDBusConnection* connection = g_dbus_connection_new_for_address_sync(
                address.c_str(),
                GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                     | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            if (!connection)
                return false;
            gboolean owned = FALSE;
            for (int look = 0; look < 300 && !owned; ++look) {
                GVariant* answer = g_dbus_connection_call_sync(
                    connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                    g_variant_new("(s)", "org.a11y.atspi.Registry"), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
                    5000, nullptr, nullptr);
                if (answer) {
                    g_variant_get(answer, "(b)", &owned);
                    g_variant_unref(answer);
                }
                if (!owned)
                    g_usleep(50 * 1000);
            }
            g_object_unref(connection);
            return owned != FALSE;
        }
        ~Bus()
        {
            for (GPid pid : {registry, daemon}) {
                if (pid > 0) {
                    kill(pid, SIGTERM);
                    waitpid(pid, nullptr, 0);
                }
            }
        }
        // Spawned straight from the test process, not through a helper that
        // ends at once: the signal follows the test process's end.
        static void endWithParent(gpointer) { prctl(PR_SET_PDEATHSIG, SIGTERM); }
    };

    static std::string text(gchar* owned)
    {
        std::string value = owned ? owned : "";
        g_free(owned);
        return value;
    }

    static std::optional<Centre> findButton(pid_t pid, const std::string& title)
    {
        AtspiAccessible* desktop = atspi_get_desktop(0);
        if (!desktop)
            return std::nullopt;
        std::optional<Centre> found;
        const gint programs = atspi_accessible_get_child_count(desktop, nullptr);
        for (gint i = 0; i < programs && !found; ++i) {
            AtspiAccessible* program = atspi_accessible_get_child_at_index(desktop, i, nullptr);
            if (!program)
                continue;
            if (atspi_accessible_get_process_id(program, nullptr) == guint(pid)) {
                // The menus opened since the last look are read afresh.
                atspi_accessible_clear_cache(program);
                found = findIn(program, title, 0);
            }
            g_object_unref(program);
        }
        g_object_unref(desktop);
        return found;
    }

    static std::optional<Centre> findIn(AtspiAccessible* node, const std::string& title, int depth)
    {
        const AtspiRole role = atspi_accessible_get_role(node, nullptr);
        // The page's own tree is long and holds no controls of the window.
        if (role == ATSPI_ROLE_DOCUMENT_WEB || role == ATSPI_ROLE_DOCUMENT_FRAME || depth > 30)
            return std::nullopt;
        if ((role == ATSPI_ROLE_PUSH_BUTTON || role == ATSPI_ROLE_TOGGLE_BUTTON)
            && (text(atspi_accessible_get_name(node, nullptr)) == title
                || text(atspi_accessible_get_description(node, nullptr)) == title))
            return showingCentre(node);
        std::optional<Centre> found;
        const gint children = atspi_accessible_get_child_count(node, nullptr);
        for (gint i = 0; i < children && !found; ++i) {
            if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) {
                found = findIn(child, title, depth + 1);
                g_object_unref(child);
            }
        }
        return found;
    }

    static std::optional<Centre> showingCentre(AtspiAccessible* button)
    {
        AtspiStateSet* states = atspi_accessible_get_state_set(button);
        const bool showing = states && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
        if (states)
            g_object_unref(states);
        AtspiComponent* component = showing ? atspi_accessible_get_component_iface(button) : nullptr;
        if (!component)
            return std::nullopt;
        AtspiRect* box = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr);
        g_object_unref(component);
        std::optional<Centre> centre;
        // A control not yet placed, or off the screen, is not one a person can click.
        if (box && box->width > 1 && box->height > 1 && box->x >= 0 && box->y >= 0)
            centre = Centre{box->x + box->width / 2, box->y + box->height / 2};
        g_free(box);
        return centre;
    }
};

} // namespace folio::test
