# The local demo service: every server row on its own loopback address, the web
# pages on a local port, and the demo SSH servers' host key (tools/demo-service).
# An operator builds for the real service with -DCORVANE_PROFILE=<file> naming a
# file that sets the same variables.
set(CORVANE_SERVER_HOSTS
    127.0.0.2  127.0.0.3  127.0.0.4  127.0.0.5  127.0.0.6  127.0.0.7  127.0.0.8
    127.0.0.9  127.0.0.10 127.0.0.11 127.0.0.12 127.0.0.13 127.0.0.14)
# PuTTY's cache text of the servers' RSA host key: 0x<e>,0x<n> in lower-case hex.
set(CORVANE_HOST_KEY "0x25,0xbfb40dd2d9ba407876815578a2c506d9f43628d18d8963107020b89cc9febf283155daf59bd118d3b93baafb3cd5c4321cb286f9f0d121c2091397ca10611bce58ad5eb6caa0d905f9806933a53e2c8dbb0c30c803cc253d4bc6584ca6eab86e7e950ce348c72d7dd487e97cbc1c75ec32ca65176b345f5bb86dfd6a9a2c6cc9")
# The service's web site and its second web site (sign-up), scheme and host[:port].
set(CORVANE_WEB_SITE "http://127.0.0.1:8462")
set(CORVANE_SIGNUP_URL "http://localhost:8462/signup.html")
set(CORVANE_SUPPORT_EMAIL "support@corvane.example")
