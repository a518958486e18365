CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE bounces(site TEXT PRIMARY KEY NOT NULL,first_site_storage_time INTEGER DEFAULT NULL,last_site_storage_time INTEGER DEFAULT NULL,first_user_activation_time INTEGER DEFAULT NULL,last_user_activation_time INTEGER DEFAULT NULL,first_stateful_bounce_time INTEGER DEFAULT NULL,last_stateful_bounce_time INTEGER DEFAULT NULL,first_bounce_time INTEGER DEFAULT NULL,last_bounce_time INTEGER DEFAULT NULL,first_web_authn_assertion_time INTEGER DEFAULT NULL,last_web_authn_assertion_time INTEGER DEFAULT NULL);
CREATE TABLE popups(opener_site TEXT NOT NULL,popup_site TEXT NOT NULL,access_id INT64,last_popup_time INTEGER DEFAULT NULL,is_current_interaction BOOLEAN,is_authentication_interaction BOOLEAN,PRIMARY KEY (`opener_site`,`popup_site`));
CREATE TABLE config(key TEXT NOT NULL,int_value INTEGER,PRIMARY KEY (`key`));
INSERT INTO meta VALUES('version','8');
INSERT INTO meta VALUES('last_compatible_version','8');
