CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE network_action_predictor (id TEXT PRIMARY KEY, user_text TEXT, url TEXT, number_of_hits INTEGER, number_of_misses INTEGER);
CREATE INDEX network_action_predictor_index ON network_action_predictor (user_text);
CREATE TABLE resource_prefetch_predictor_host_redirect (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE resource_prefetch_predictor_origin (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE lcp_critical_path_predictor (key TEXT, proto BLOB, PRIMARY KEY(key));
CREATE TABLE lcp_critical_path_predictor_initiator_origin (key TEXT, proto BLOB, PRIMARY KEY(key));
INSERT INTO meta VALUES('version','11');
INSERT INTO meta VALUES('last_compatible_version','11');
