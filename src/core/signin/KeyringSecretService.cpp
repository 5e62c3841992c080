#include <dlfcn.h>

#include <libsecret/secret.h>

#include "core/signin/Keyring.h"
#include "core/signin/KeyringEntry.h"

// libsecret is loaded on the first use of the keyring, as libcurl is: it
// brings GLib's D-Bus and libgcrypt, which a start of the command line
// would otherwise pay for. Only its headers are used at build time.
namespace {

struct SecretLibrary {
    SecretService* (*serviceGetSync)(SecretServiceFlags flags, GCancellable* cancellable, GError** error);
    GHashTable* (*attributesBuild)(const SecretSchema* schema, ...);
    GList* (*serviceSearchSync)(SecretService* service, const SecretSchema* schema, GHashTable* attributes,
                                SecretSearchFlags flags, GCancellable* cancellable, GError** error);
    gboolean (*storeBinarySync)(const SecretSchema* schema, const gchar* collection, const gchar* label,
                                SecretValue* value, GCancellable* cancellable, GError** error, ...);
    gboolean (*itemGetLocked)(SecretItem* item);
    SecretValue* (*itemGetSecret)(SecretItem* item);
    gboolean (*itemDeleteSync)(SecretItem* item, GCancellable* cancellable, GError** error);
    SecretValue* (*valueNew)(const gchar* secret, gssize length, const gchar* contentType);
    const gchar* (*valueGet)(SecretValue* value, gsize* length);
    void (*valueUnref)(gpointer value);
    void (*objectUnref)(gpointer object);
    void (*hashTableUnref)(GHashTable* table);
    void (*listFreeFull)(GList* list, GDestroyNotify free);
    void (*errorFree)(GError* error);
};

template <typename Function> bool Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const SecretLibrary* Load()
{
    static SecretLibrary secret;
    // Never closed: GLib's types cannot be unloaded once registered.
    void* library = dlopen("libsecret-1.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    // GLib's and GObject's functions are found through libsecret's own
    // dependencies.
    const bool complete = Resolve(library, "secret_service_get_sync", secret.serviceGetSync) &&
        Resolve(library, "secret_attributes_build", secret.attributesBuild) &&
        Resolve(library, "secret_service_search_sync", secret.serviceSearchSync) &&
        Resolve(library, "secret_password_store_binary_sync", secret.storeBinarySync) &&
        Resolve(library, "secret_item_get_locked", secret.itemGetLocked) &&
        Resolve(library, "secret_item_get_secret", secret.itemGetSecret) &&
        Resolve(library, "secret_item_delete_sync", secret.itemDeleteSync) &&
        Resolve(library, "secret_value_new", secret.valueNew) &&
        Resolve(library, "secret_value_get", secret.valueGet) &&
        Resolve(library, "secret_value_unref", secret.valueUnref) &&
        Resolve(library, "g_object_unref", secret.objectUnref) &&
        Resolve(library, "g_hash_table_unref", secret.hashTableUnref) &&
        Resolve(library, "g_list_free_full", secret.listFreeFull) &&
        Resolve(library, "g_error_free", secret.errorFree);
    return complete ? &secret : nullptr;
}

const SecretLibrary* Secret()
{
    static const SecretLibrary* const secret = Load();
    return secret;
}

// Our own schema: lookups match its name, so no other program's entry
// with the same attributes is taken for ours.
SecretSchema MakeSchema()
{
    SecretSchema schema{};
    schema.name = "org.vantrel.Secret";
    schema.flags = SECRET_SCHEMA_NONE;
    schema.attributes[0] = {"server", SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[1] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
    schema.attributes[2] = {"kind", SECRET_SCHEMA_ATTRIBUTE_STRING};
    return schema;
}

const SecretSchema kSchema = MakeSchema();

// The Secret Service on the session bus, with a session for passing
// secrets opened; nullptr when none answers. Without a session bus this
// fails at once; the service itself is started by the bus when installed.
SecretService* OpenService(const SecretLibrary& secret)
{
    GError* error = nullptr;
    SecretService* service = secret.serviceGetSync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    if (error)
        secret.errorFree(error);
    return service;
}

// Ends an operation that may have left an error: whether there was one.
bool Failed(const SecretLibrary& secret, GError* error)
{
    if (!error)
        return false;
    secret.errorFree(error);
    return true;
}

// The entries under kind, server and user, locked ones among them: a locked
// keyring is asked to unlock (the desktop's prompt), and what stays locked
// is seen as such rather than as nothing stored.
struct Entries {
    const SecretLibrary& secret;
    SecretService* service = nullptr;
    GList* items = nullptr;
    bool found = false;  // the search was answered

    Entries(const SecretLibrary& library, SecretKind kind, const std::string& server, const std::string& user,
            SecretSearchFlags flags)
        : secret(library), service(OpenService(library))
    {
        if (!service)
            return;
        GHashTable* attributes = secret.attributesBuild(&kSchema, "server", server.c_str(), "user",
                                                        user.c_str(), "kind", SecretKindName(kind), nullptr);
        GError* error = nullptr;
        items = secret.serviceSearchSync(
            service, &kSchema, attributes,
            static_cast<SecretSearchFlags>(flags | SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK), nullptr,
            &error);
        secret.hashTableUnref(attributes);
        found = !Failed(secret, error);
    }
    ~Entries()
    {
        if (items)
            secret.listFreeFull(items, secret.objectUnref);
        if (service)
            secret.objectUnref(service);  // libsecret keeps its own reference
    }
    Entries(const Entries&) = delete;
    Entries& operator=(const Entries&) = delete;

    bool AnyLocked() const
    {
        for (GList* item = items; item; item = item->next)
            if (secret.itemGetLocked(static_cast<SecretItem*>(item->data)))
                return true;
        return false;
    }
};

}  // namespace

Result<std::string> ReadSecret(SecretKind kind, const std::string& server, const std::string& user)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    const SecretLibrary* secret = Secret();
    if (!secret)
        return Failure::CannotOpen;
    const Entries entries(*secret, kind, server, user, SECRET_SEARCH_LOAD_SECRETS);
    if (!entries.found || entries.AnyLocked())
        return Failure::CannotOpen;
    if (!entries.items)
        return Failure::Missing;
    SecretValue* value = secret->itemGetSecret(static_cast<SecretItem*>(entries.items->data));
    if (!value)
        return Failure::CannotOpen;
    gsize length = 0;
    const gchar* bytes = secret->valueGet(value, &length);
    std::string text(bytes, length);
    // The value is ours alone; its copy in the caller's string is what stays.
    WipeSecret(const_cast<gchar*>(bytes), length);
    secret->valueUnref(value);
    return text;
}

Result<> StoreSecret(SecretKind kind, const std::string& server, const std::string& user,
                     const std::string& secretText)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    const SecretLibrary* secret = Secret();
    SecretService* service = secret ? OpenService(*secret) : nullptr;
    if (!service)
        return Failure::CannotOpen;
    secret->objectUnref(service);
    // Bytes, not a C string: a secret may hold a NUL. libsecret keeps its
    // copy in memory that is wiped when freed.
    SecretValue* value =
        secret->valueNew(secretText.data(), static_cast<gssize>(secretText.size()), "text/plain");
    GError* error = nullptr;
    const std::string label = SecretLabel(kind, server, user);
    const gboolean stored = secret->storeBinarySync(&kSchema, SECRET_COLLECTION_DEFAULT, label.c_str(), value,
                                                    nullptr, &error, "server", server.c_str(), "user",
                                                    user.c_str(), "kind", SecretKindName(kind), nullptr);
    secret->valueUnref(value);
    // A keyring that is locked and cannot ask to be unlocked (no display for
    // its prompt) refuses here.
    if (Failed(*secret, error) || !stored)
        return Failure::CannotWrite;
    return Done();
}

Result<> ForgetSecret(SecretKind kind, const std::string& server, const std::string& user)
{
    if (!IsKeyText(server) || !IsKeyText(user))
        return Failure::Damaged;
    const SecretLibrary* secret = Secret();
    if (!secret)
        return Failure::CannotOpen;
    const Entries entries(*secret, kind, server, user, SECRET_SEARCH_NONE);
    if (!entries.service)
        return Failure::CannotOpen;
    // A locked entry would outlive a sign-out reported as done.
    if (!entries.found || entries.AnyLocked())
        return Failure::CannotWrite;
    for (GList* item = entries.items; item; item = item->next) {
        GError* error = nullptr;
        const gboolean deleted =
            secret->itemDeleteSync(static_cast<SecretItem*>(item->data), nullptr, &error);
        if (Failed(*secret, error) || !deleted)
            return Failure::CannotWrite;
    }
    return Done();
}
