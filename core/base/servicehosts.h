#pragma once
// Host names of every service the program talks to. Each has a built-in
// value; an environment variable, read each time the host is asked for, replaces it (a host name
// or host:port, e.g. for a stand-in server on 127.0.0.1):
//
//   PRYX_AUTH_HOST            authorisation site
//   PRYX_API_HOST             service API
//   PRYX_SUPPORT_HOST         support API (tickets, ping)
//   PRYX_ANALYTICS_HOST       analytics collector
//   PRYX_UPDATE_HOST          update check and downloads
//   PRYX_DROPBOX_WEB_HOST     Dropbox authorisation page
//   PRYX_DROPBOX_API_HOST     Dropbox API (token, account, shared links)
//   PRYX_DROPBOX_CONTENT_HOST Dropbox file upload
//
// "-beta" <auth> <api> replaces the first two, above the environment.
// This is the only place that knows the hosts and the addresses built from
// them; everything else asks here.

#include <QString>

namespace pryx {

enum class Service {
    Auth,
    Api,
    Support,
    Analytics,
    Update,
    DropboxWeb,
    DropboxApi,
    DropboxContent,
};

// The host for a service: the "-beta" value when one is set, else the
// environment override when set and not empty, else the built-in value.
QString serviceHost(Service service);
// Sets the "-beta" value of a service (only Auth and Api take one); an empty
// text removes it.
void setServiceHostOverride(Service service, const QString &host);
// The built-in host, ignoring the environment.
QString defaultServiceHost(Service service);
// The environment variable that overrides the host.
const char *serviceHostVariable(Service service);

// Addresses built from the hosts.
QString filesApiUrl();        // creating an upload on the service
QString uploadApiUrl();       // sending its bytes
QString supportTicketsUrl();  // feedback
QString pingUrl();            // the internet check; the caller appends the value
QString analyticsUrl();       // analytics events
// The client's name in requests: "Pryx" and the version.
QString appTitle();

} // namespace pryx
